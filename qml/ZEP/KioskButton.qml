import QtQuick 2.15

// Large touch button that also works from the keypad: it takes focus with Tab
// and is pressed with Enter or Space.
Rectangle {
    id: button

    property alias text: label.text
    property string hint: ""
    property color baseColor: Theme.surfaceRaised
    property color textColor: Theme.text
    property real fontSize: Theme.px(20)
    property bool enabledLook: enabled

    signal clicked()

    implicitWidth: Math.max(label.implicitWidth + Theme.px(40), Theme.px(120))
    implicitHeight: Theme.px(64)
    radius: Theme.px(10)
    color: !enabled ? Qt.darker(baseColor, 1.6)
                    : mouse.pressed ? Qt.darker(baseColor, 1.3) : baseColor
    border.width: activeFocus ? Theme.px(3) : 0
    border.color: Theme.focusRing
    activeFocusOnTab: true
    opacity: enabled ? 1.0 : 0.55

    Accessible.role: Accessible.Button
    Accessible.name: text

    Column {
        anchors.centerIn: parent
        width: parent.width - Theme.px(16)
        spacing: Theme.px(2)

        Text {
            id: label
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            color: button.textColor
            font.family: Theme.fontFamily
            font.pixelSize: button.fontSize
            font.bold: true
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            visible: button.hint !== ""
            text: button.hint
            horizontalAlignment: Text.AlignHCenter
            color: Qt.lighter(button.textColor, 1.0)
            opacity: 0.75
            font.family: Theme.fontFamily
            font.pixelSize: Math.round(button.fontSize * 0.6)
            elide: Text.ElideRight
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        onClicked: button.clicked()
    }

    Keys.onPressed: {
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter || event.key === Qt.Key_Space) {
            event.accepted = true
            if (enabled)
                button.clicked()
        }
    }
}
