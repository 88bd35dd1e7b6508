import QtQuick 2.15

// A short message at the bottom of the screen that hides itself.
Rectangle {
    id: banner

    property string kind: "info"
    property alias text: label.text
    property bool shown: false

    function show(message, messageKind) {
        label.text = message
        kind = messageKind || "info"
        shown = true
        hideTimer.restart()
    }

    function hide() {
        shown = false
    }

    height: Theme.px(72)
    color: kind === "error" ? Theme.danger : kind === "ok" ? Theme.arrival : Theme.surfaceRaised
    visible: shown
    objectName: "messageBanner"

    Text {
        id: label
        anchors.fill: parent
        anchors.leftMargin: Theme.px(24)
        anchors.rightMargin: Theme.px(24)
        verticalAlignment: Text.AlignVCenter
        horizontalAlignment: Text.AlignHCenter
        color: Theme.onColour
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(26)
        font.bold: true
        wrapMode: Text.WordWrap
        elide: Text.ElideRight
    }

    MouseArea {
        anchors.fill: parent
        onClicked: banner.hide()
    }

    Timer {
        id: hideTimer
        interval: 4000
        onTriggered: banner.hide()
    }
}
