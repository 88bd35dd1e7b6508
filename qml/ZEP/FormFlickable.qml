import QtQuick 2.15
import QtQuick.Window 2.15

// A scrolling form that keeps the field with the keyboard focus in view, so
// that Tab works through a form taller than the screen.
Flickable {
    id: flick

    readonly property Item focusedItem: Window.activeFocusItem

    boundsBehavior: Flickable.StopAtBounds
    clip: true

    onFocusedItemChanged: {
        var item = focusedItem
        for (var p = item; p; p = p.parent) {
            if (p === contentItem) {
                var top = item.mapToItem(contentItem, 0, 0).y
                if (top < contentY)
                    contentY = top
                else if (top + item.height > contentY + height)
                    contentY = Math.min(top + item.height - height, contentHeight - height)
                return
            }
        }
    }
}
