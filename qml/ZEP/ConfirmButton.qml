import QtQuick 2.15

// A button for consequential actions: the first press asks, the second acts.
KioskButton {
    id: button

    property string confirmText: qsTr("Press again to confirm")
    property string normalText: ""
    property bool asking: false

    signal confirmed()

    text: asking ? confirmText : normalText
    baseColor: asking ? Theme.danger : Theme.surfaceRaised
    onClicked: {
        if (asking) {
            asking = false
            button.confirmed()
        } else {
            asking = true
            askTimeout.restart()
        }
    }

    Timer {
        id: askTimeout
        interval: 4000
        onTriggered: button.asking = false
    }
}
