import QtQuick 2.15
import QtQuick.Controls 2.15
import QtQuick.Window 2.15

// A scrolling form that keeps the field with the keyboard focus in view, so
// that Tab works through a form taller than the screen. What is below the fold
// is announced by a scroll bar and an arrow in the corner beside it.
Flickable {
    id: flick

    readonly property Item focusedItem: Window.activeFocusItem
    readonly property bool moreBelow: contentHeight - contentY - height > 1

    boundsBehavior: Flickable.StopAtBounds
    clip: true

    ScrollBar.vertical: ScrollBar {
        policy: flick.contentHeight > flick.height ? ScrollBar.AlwaysOn : ScrollBar.AlwaysOff
    }

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

    // Over the form, not in it: moved out of the content once made.
    Component.onCompleted: moreHint.parent = flick

    Rectangle {
        id: moreHint
        objectName: "moreBelowHint"
        anchors.right: parent.right
        anchors.rightMargin: Theme.px(14)
        anchors.bottom: parent.bottom
        anchors.bottomMargin: Theme.px(4)
        width: hintText.implicitWidth + Theme.px(24)
        height: Theme.px(32)
        radius: height / 2
        color: Theme.surfaceRaised
        border.color: Theme.focusRing
        border.width: Theme.px(2)
        visible: flick.moreBelow

        Text {
            id: hintText
            anchors.centerIn: parent
            text: "\u25BC " + qsTr("More below")
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(16)
        }
    }
}
