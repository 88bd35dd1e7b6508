import QtQuick 2.15

// An on/off switch with its caption; Space or Enter toggles it.
Rectangle {
    id: toggle

    property alias label: caption.text
    property bool checked: false

    signal toggled()

    implicitWidth: Theme.px(300)
    implicitHeight: Theme.px(56)
    radius: Theme.px(8)
    color: Theme.surfaceRaised
    border.width: activeFocus ? Theme.px(3) : 0
    border.color: Theme.focusRing
    activeFocusOnTab: true

    Accessible.role: Accessible.CheckBox
    Accessible.name: caption.text
    Accessible.checked: checked

    function flip() {
        checked = !checked
        toggled()
    }

    // Long captions wrap onto a second line and shrink rather than lose their end.
    Text {
        id: caption
        anchors.left: parent.left
        anchors.leftMargin: Theme.px(14)
        anchors.right: track.left
        anchors.rightMargin: Theme.px(10)
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.px(4)
        verticalAlignment: Text.AlignVCenter
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(18)
        wrapMode: Text.WordWrap
        fontSizeMode: Text.Fit
        minimumPixelSize: Theme.px(11)
    }

    Rectangle {
        id: track
        anchors.right: parent.right
        anchors.rightMargin: Theme.px(14)
        anchors.verticalCenter: parent.verticalCenter
        width: Theme.px(64)
        height: Theme.px(32)
        radius: height / 2
        color: toggle.checked ? Theme.accent : Theme.outline
        Rectangle {
            x: toggle.checked ? parent.width - width - Theme.px(3) : Theme.px(3)
            anchors.verticalCenter: parent.verticalCenter
            width: parent.height - Theme.px(6)
            height: width
            radius: width / 2
            color: Theme.onColour
        }
    }

    MouseArea {
        anchors.fill: parent
        onClicked: toggle.flip()
    }

    Keys.onPressed: {
        if (event.key === Qt.Key_Space || event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            event.accepted = true
            toggle.flip()
        }
    }
}
