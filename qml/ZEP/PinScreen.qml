import QtQuick 2.15

// Identification by personal number on the on-screen pad.
FocusScope {
    id: screen

    property var ui

    function open() {
        pad.clear()
        pad.forceActiveFocus()
        ui.play("zoc")
    }

    PinPad {
        id: pad
        anchors.fill: parent
        anchors.margins: Theme.px(32)
        title: qsTr("Enter your personal number")
        subtitle: qsTr("Confirm with OK or Enter.")
        onAccepted: {
            if (!screen.ui.identifyByNumber(parseInt(value, 10)))
                clear()
        }
        onCancelled: screen.ui.goIdle()
        onValueChanged: giveUp.restart()
    }

    // Nobody finishes the number: back to the waiting screen.
    Timer {
        id: giveUp
        running: screen.visible
        interval: 30000
        onTriggered: screen.ui.goIdle()
    }
}
