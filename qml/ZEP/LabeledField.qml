import QtQuick 2.15

// A caption and a one-line text input. Tab or Enter moves on to the next field
// (Enter in the last one gives accepted, for the form to save); Escape leaves
// the field without leaving the form.
FocusScope {
    id: field

    property alias label: caption.text
    property alias text: input.text
    property alias inputMethodHints: input.inputMethodHints
    property alias validator: input.validator
    property alias maximumLength: input.maximumLength
    property alias placeholder: placeholderText.text
    property alias input: input
    property Item next: null

    signal accepted()

    function enter() {
        if (next)
            next.forceActiveFocus()
        field.accepted()
    }

    implicitWidth: Theme.px(300)
    implicitHeight: caption.implicitHeight + box.height + Theme.px(4)
    activeFocusOnTab: true

    Text {
        id: caption
        width: parent.width
        wrapMode: Text.Wrap
        color: Theme.textMuted
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(15)
    }

    Rectangle {
        id: box
        objectName: "fieldBox"
        anchors.top: caption.bottom
        anchors.topMargin: Theme.px(4)
        width: parent.width
        height: Theme.px(50)
        radius: Theme.px(8)
        color: Theme.background
        // The ring stays after Escape: the field keeps the focus without editing.
        border.width: field.activeFocus ? Theme.px(3) : Theme.px(1)
        border.color: field.activeFocus ? Theme.focusRing : Theme.outline

        TextInput {
            id: input
            anchors.fill: parent
            anchors.leftMargin: Theme.px(12)
            anchors.rightMargin: Theme.px(12)
            verticalAlignment: TextInput.AlignVCenter
            focus: true
            clip: true
            color: Theme.text
            selectionColor: Theme.accent
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(20)
            selectByMouse: true
            Keys.onReturnPressed: field.enter()
            Keys.onEnterPressed: field.enter()
            Keys.onEscapePressed: input.focus = false
        }
        Text {
            id: placeholderText
            anchors.fill: input
            verticalAlignment: Text.AlignVCenter
            visible: input.text === "" && !input.activeFocus
            color: Theme.outline
            font: input.font
            elide: Text.ElideRight
        }
    }
}
