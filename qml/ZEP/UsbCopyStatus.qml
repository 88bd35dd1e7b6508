import QtQuick 2.15

// A copy to the USB drive goes on after the administration is left: its progress shows on
// every screen but the system page, and its result is told wherever the terminal is.
Rectangle {
    id: status

    property var ui
    readonly property bool copying: usbCopy.busy

    function finished(doneText) {
        if (usbCopy.errorText !== "")
            ui.showMessage(usbCopy.errorText, "error")
        else
            ui.showMessage(doneText, "ok")
    }

    implicitWidth: label.implicitWidth + Theme.px(24)
    implicitHeight: Theme.px(36)
    radius: height / 2
    color: Theme.surfaceRaised
    border.color: Theme.focusRing
    border.width: Theme.px(2)

    Connections {
        target: usbCopy
        function onCopyEntrancesFinished() { status.finished(qsTr("Entrance photos copied to the USB drive.")) }
        function onCopyLogsFinished() { status.finished(qsTr("Logs copied to the USB drive.")) }
    }

    Text {
        id: label
        objectName: "usbCopyStatusText"
        anchors.centerIn: parent
        text: !status.copying ? ""
              : usbCopy.progressMaximum > 0
                ? qsTr("Copying to USB: %1 %").arg(Math.round(100 * usbCopy.progress / usbCopy.progressMaximum))
                : qsTr("Copying to USB\u2026")
        color: Theme.text
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(16)
    }
}
