import QtQuick 2.15

// The setup PIN in front of the administration. The first use sets the PIN
// (entered twice); afterwards it is checked.
FocusScope {
    id: gate

    property var ui
    property string mode: "check"        // "check", "new" or "confirm"
    property string firstEntry: ""
    property bool changing: false

    signal granted()
    signal finished()

    // Opens the gate; with change set, the administrator picks a new PIN.
    function open(change) {
        changing = change === true
        mode = changing || !base.checkSetupPin() ? "new" : "check"
        firstEntry = ""
        pad.clear()
        pad.forceActiveFocus()
    }

    function leave() {
        if (changing)
            gate.finished()
        else
            gate.ui.goIdle()
    }

    PinPad {
        id: pad
        anchors.fill: parent
        anchors.margins: Theme.px(32)
        ui: gate.ui
        masked: true
        title: gate.mode === "check" ? qsTr("Enter the setup PIN")
             : gate.mode === "new" ? qsTr("Choose a new setup PIN")
             : qsTr("Enter the new setup PIN again")
        subtitle: gate.mode === "check" ? qsTr("The administration is protected by the setup PIN.")
                : qsTr("Up to 9 digits. Keep it safe: it protects the administration.")
        onCancelled: gate.leave()
        onAccepted: {
            if (gate.mode === "check") {
                if (base.verifySetupPin(parseInt(value, 10))) {
                    gate.granted()
                } else {
                    gate.ui.showMessage(qsTr("Wrong setup PIN"), "error")
                    gate.ui.play("dlge")
                }
                clear()
            } else if (gate.mode === "new") {
                gate.firstEntry = value
                gate.mode = "confirm"
                clear()
            } else {
                if (value === gate.firstEntry) {
                    base.saveSetupPin(parseInt(value, 10))
                    gate.ui.showMessage(qsTr("The setup PIN was saved."), "ok")
                    if (gate.changing)
                        gate.finished()
                    else
                        gate.granted()
                } else {
                    gate.ui.showMessage(qsTr("The PINs do not match. Try again."), "error")
                    gate.ui.play("dlge")
                    gate.mode = "new"
                }
                clear()
            }
        }
        onValueChanged: giveUp.restart()
    }

    Timer {
        id: giveUp
        running: gate.visible
        interval: 60000
        onTriggered: gate.leave()
    }
}
