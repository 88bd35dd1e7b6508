import QtQuick 2.15
import QtQuick.Layouts 1.15

// Version, server state, synchronisation, copies to a USB drive, the setup PIN,
// restart and quit.
FocusScope {
    id: page

    property var ui
    readonly property bool usbAvailable: usbDrive.present
    // A synchronisation asked for here, whose result is still to be shown.
    property bool syncAsked: false
    // The same for a contact with remote management.
    property bool remoteAsked: false

    function contactRemote() {
        if (!uiSettings.networking) {
            ui.showMessage(qsTr("Networking is off: remote management was not contacted."), "error")
            return
        }
        remoteAsked = true
        ui.showMessage(qsTr("Contacting remote management…"), "info")
        base.doSyncOrvel()
    }

    function synchronise() {
        if (!uiSettings.networking) {
            ui.showMessage(qsTr("Networking is off: nothing was synchronised."), "error")
            return
        }
        var host = uiSettings.serverHost
        if (host === "" || host === "0.0.0.0") {
            ui.showMessage(qsTr("No server is set up: nothing was synchronised."), "error")
            return
        }
        syncAsked = true
        serverStatus.synchronise()
        ui.showMessage(qsTr("Synchronisation started."), "info")
    }

    function syncDone() {
        if (!syncAsked)
            return
        syncAsked = false
        if (ui.serverState === 4)
            ui.showMessage(qsTr("Synchronisation finished."), "ok")
        else
            ui.showMessage(qsTr("Synchronisation failed: the server did not accept it."), "error")
    }

    function syncUnanswered() {
        if (!syncAsked)
            return
        syncAsked = false
        ui.showMessage(qsTr("Synchronisation failed: the server did not answer."), "error")
    }

    readonly property bool copying: usbCopy.busy

    function gigabytes(megabytes) {
        return (megabytes / 1024).toFixed(1) + " GB"
    }

    // The installed identity of the terminal, without its key.
    function identityText() {
        var id = terminalInfo.identity
        if (!id.tid)
            return qsTr("not installed")
        var parts = [id.tid, id.name, id.model, id.pn, id.sn].filter(function (part) { return part !== "" })
        return parts.join(" · ") + " · " + qsTr("login %1").arg(id.li)
    }

    Connections {
        target: serverStatus
        function onSyncFinished() { page.syncDone() }
        function onSyncUnanswered() { page.syncUnanswered() }
        // A refusal (3) is told by the synchronisation's end; a drop below it is no answer.
        function onStateChanged(state) {
            if (state < 3)
                page.syncUnanswered()
        }
    }

    Connections {
        target: base
        function onOrvelContactFinished(answered) {
            if (!page.remoteAsked)
                return
            page.remoteAsked = false
            if (answered)
                page.ui.showMessage(qsTr("Remote management answered."), "ok")
            else
                page.ui.showMessage(qsTr("Remote management was not reached."), "error")
        }
    }

    FormFlickable {
        anchors.fill: parent
        contentHeight: content.height
        visible: !pinGate.visible
        Column {
            id: content
            width: parent.width
            spacing: Theme.px(12)

            PageTitle { text: qsTr("System") }

            // First on the page, so that it is in view whatever the page holds below.
            Row {
                objectName: "usbProgress"
                visible: page.copying && usbCopy.showProgress
                spacing: Theme.px(10)
                Column {
                    spacing: Theme.px(4)
                    Text { text: page.copying ? usbCopy.labelText : ""; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.px(16) }
                    Rectangle {
                        width: Theme.px(320); height: Theme.px(12); radius: height / 2; color: Theme.surfaceRaised
                        Rectangle {
                            height: parent.height; radius: parent.radius; color: Theme.focusRing
                            width: !page.copying || usbCopy.progressMaximum <= 0 ? 0
                                   : parent.width * usbCopy.progress / usbCopy.progressMaximum
                        }
                    }
                }
                KioskButton { objectName: "abortCopy"; text: qsTr("Abort"); onClicked: usbCopy.doCancel() }
            }

            // The values take the rest of the width and wrap, so that long ones stay on the page.
            GridLayout {
                width: parent.width
                columns: 2
                columnSpacing: Theme.px(16)
                rowSpacing: Theme.px(6)
                Text { text: qsTr("Version"); color: Theme.textMuted; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { objectName: "versionText"; text: terminalInfo.version; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { text: qsTr("Terminal"); color: Theme.textMuted; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { objectName: "identityText"; Layout.fillWidth: true; wrapMode: Text.Wrap; text: page.identityText(); color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { text: qsTr("Server"); color: Theme.textMuted; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                ServerStatePill { serverState: page.ui.serverState; connecting: page.ui.serverConnecting }
                Text { text: qsTr("Entrances that cannot be uploaded"); color: Theme.textMuted; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { objectName: "unsendableText"; text: dbSync.unsendableEntranceCount(); color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { text: qsTr("CPU / RAM / disk"); color: Theme.textMuted; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
                Text { objectName: "usageText"; Layout.fillWidth: true; wrapMode: Text.Wrap; text: hardwareFigures.cpu + " % / " + hardwareFigures.ram + " % (" + page.gigabytes(hardwareFigures.ramTotal) + ") / " + hardwareFigures.hdd + " % (" + page.gigabytes(hardwareFigures.hddTotal) + ")"; color: Theme.text; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18) }
            }

            Text {
                objectName: "lowSpaceText"
                visible: backupManager.lowSpace
                width: parent.width
                wrapMode: Text.WordWrap
                text: visible ? qsTr("Low disk space: %1 MB free. The oldest photo backups already on the server are removed to make room.").arg(backupManager.freeSpaceMB) : ""
                color: Theme.warning; font.family: Theme.fontFamily; font.pixelSize: Theme.px(18)
            }

            Flow {
                width: parent.width
                spacing: Theme.px(10)

                KioskButton {
                    objectName: "synchronise"
                    // Where the page starts when it is chosen, so that Tab goes on in it.
                    focus: true
                    text: qsTr("Synchronise now")
                    onClicked: page.synchronise()
                }
                KioskButton {
                    objectName: "contactRemote"
                    text: qsTr("Contact remote management")
                    onClicked: page.contactRemote()
                }
                KioskButton {
                    objectName: "copyPhotos"
                    visible: page.usbAvailable && !page.copying
                    text: qsTr("Copy photos to USB")
                    onClicked: usbCopy.doCopyEntrances()
                }
                KioskButton {
                    visible: page.usbAvailable && !page.copying
                    text: qsTr("Copy logs to USB")
                    onClicked: usbCopy.doCopyLogs()
                }
                KioskButton {
                    id: changePinButton
                    objectName: "changePin"
                    text: qsTr("Change setup PIN")
                    onClicked: {
                        pinGate.visible = true
                        pinGate.open(true)
                    }
                }
            }

            Text {
                objectName: "insertUsbText"
                visible: !page.usbAvailable && !page.copying
                width: parent.width
                wrapMode: Text.WordWrap
                text: qsTr("Insert a USB drive to copy photos or logs.")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(16)
            }

            Flow {
                width: parent.width
                spacing: Theme.px(10)
                RestartButton {
                    objectName: "restart"
                    ui: page.ui
                    normalText: qsTr("Restart application")
                    reason: "Restart from the administration"
                }
                ConfirmButton {
                    normalText: qsTr("Quit application")
                    onConfirmed: base.doQuit()
                }
            }
        }
    }

    SetupGate {
        id: pinGate
        objectName: "pinChangeGate"
        anchors.fill: parent
        ui: page.ui
        visible: false
        onFinished: {
            visible = false
            changePinButton.forceActiveFocus()
        }
    }
}
