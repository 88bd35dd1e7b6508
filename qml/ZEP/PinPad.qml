import QtQuick 2.15

// Numeric pad with a display. Digits, Backspace, Enter and Escape work from the
// keyboard as well as by touch.
FocusScope {
    id: pad

    property string title: ""
    property string subtitle: ""
    property bool masked: false
    property int maxLength: 9
    property string value: ""

    signal accepted(string value)
    signal cancelled()

    function clear() {
        value = ""
    }

    function press(key) {
        if (key === "back")
            value = value.slice(0, -1)
        else if (key === "ok") {
            if (value !== "")
                pad.accepted(value)
        } else if (value.length < maxLength)
            value += key
    }

    Keys.onPressed: {
        event.accepted = true
        if (event.key >= Qt.Key_0 && event.key <= Qt.Key_9)
            press(String(event.key - Qt.Key_0))
        else if (event.key === Qt.Key_Backspace || event.key === Qt.Key_Delete)
            press("back")
        else if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
            press("ok")
        else if (event.key === Qt.Key_Escape)
            pad.cancelled()
        else
            event.accepted = false
    }

    Column {
        id: header
        anchors.left: parent.left
        anchors.right: keys.left
        anchors.rightMargin: Theme.px(24)
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.px(16)

        Text {
            width: parent.width
            text: pad.title
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(30)
            font.bold: true
            wrapMode: Text.WordWrap
        }
        Text {
            width: parent.width
            visible: text !== ""
            text: pad.subtitle
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(18)
            wrapMode: Text.WordWrap
        }
        Rectangle {
            width: parent.width
            height: Theme.px(72)
            radius: Theme.px(10)
            color: Theme.surface
            border.color: Theme.accent
            border.width: Theme.px(2)
            Text {
                objectName: "pinDisplay"
                anchors.centerIn: parent
                text: pad.masked ? "\u2022".repeat(pad.value.length) : pad.value
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(40)
                font.letterSpacing: Theme.px(4)
            }
        }
        KioskButton {
            text: qsTr("Back")
            hint: qsTr("Esc")
            activeFocusOnTab: false
            onClicked: pad.cancelled()
        }
    }

    Grid {
        id: keys
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        columns: 3
        spacing: Theme.px(10)

        Repeater {
            model: ["1", "2", "3", "4", "5", "6", "7", "8", "9", "back", "0", "ok"]
            KioskButton {
                width: Theme.px(92)
                height: Theme.px(76)
                activeFocusOnTab: false
                text: modelData === "back" ? "\u232b" : modelData === "ok" ? qsTr("OK") : modelData
                fontSize: Theme.px(30)
                baseColor: modelData === "ok" ? Theme.accent : Theme.surfaceRaised
                onClicked: pad.press(modelData)
            }
        }
    }
}
