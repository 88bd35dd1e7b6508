import QtQuick 2.15

// Restarts the application after a confirming second press; says so when the
// new instance could not be started (the terminal then stays as it is).
ConfirmButton {
    property var ui
    property string reason: ""

    onConfirmed: {
        if (!base.doReboot(reason))
            ui.showMessage(qsTr("The application could not be restarted. It keeps running."), "error")
    }
}
