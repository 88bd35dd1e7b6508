import QtQuick 2.15

// The setup PIN in front of the administration. The first use sets the PIN
// (entered twice); afterwards it is checked. Wrong entries lock the gate for a
// while, longer each time.
FocusScope {
    id: gate

    property var ui
    property string mode: "check"        // "check", "new" or "confirm"
    property string firstEntry: ""
    property bool changing: false

    signal granted()
    // Left without entering: cancelled, timed out, or a changed PIN saved.
    signal finished()

    // Opens the gate; with change set, the administrator picks a new PIN.
    function open(change) {
        changing = change === true
        mode = changing || !setupPin.isSet ? "new" : "check"
        firstEntry = ""
        pad.clear()
        pad.forceActiveFocus()
    }

    function refuse(text) {
        ui.showMessage(text, "error")
        ui.play("dlge")
    }

    function check(value) {
        if (setupPin.verify(value)) {
            gate.granted()
            return
        }
        var locked = setupPin.secondsLocked()
        if (locked > 0)
            refuse(qsTr("Too many wrong setup PINs. Try again in %n second(s).", "", locked))
        else
            refuse(qsTr("Wrong setup PIN"))
    }

    function choose(value) {
        if (!setupPin.isAcceptable(value)) {
            refuse(qsTr("A setup PIN of only zeros would leave the administration open. Choose another."))
            return
        }
        firstEntry = value
        mode = "confirm"
    }

    function confirm(value) {
        if (value !== firstEntry) {
            refuse(qsTr("The PINs do not match. Try again."))
            mode = "new"
            return
        }
        if (!setupPin.save(value)) {
            refuse(qsTr("The setup PIN could not be saved."))
            mode = "new"
            return
        }
        ui.showMessage(qsTr("The setup PIN was saved."), "ok")
        if (changing)
            gate.finished()
        else
            gate.granted()
    }

    PinPad {
        id: pad
        anchors.fill: parent
        anchors.margins: Theme.px(32)
        masked: true
        title: gate.mode === "check" ? qsTr("Enter the setup PIN")
             : gate.mode === "new" ? qsTr("Choose a new setup PIN")
             : qsTr("Enter the new setup PIN again")
        subtitle: gate.mode === "check" ? qsTr("The administration is protected by the setup PIN.")
                : qsTr("Up to 9 digits. Keep it safe: it protects the administration.")
        onCancelled: gate.finished()
        onAccepted: {
            if (gate.mode === "check")
                gate.check(value)
            else if (gate.mode === "new")
                gate.choose(value)
            else
                gate.confirm(value)
            clear()
        }
        // Only while the gate is shown: clearing the pad after the right PIN must not start it.
        onValueChanged: if (gate.visible) giveUp.restart()
    }

    Timer {
        id: giveUp
        objectName: "setupGiveUp"
        running: gate.visible
        interval: 60000
        onTriggered: gate.finished()
    }
}
