import QtQuick 2.15

// Terminal settings kept in the settings file: name, server, networking,
// personal-number entry, language, sound and screen saver.
FocusScope {
    id: page

    property var ui
    property string language: uiSettings.language
    property bool needsRestart: false

    function save() {
        var port = parseInt(portField.text, 10)
        if (isNaN(port) || port < 1 || port > 65535) {
            ui.showMessage(qsTr("The port must be a number from 1 to 65535."), "error")
            portField.input.forceActiveFocus()
            return
        }
        var saverDelay = parseInt(saverField.text, 10)
        if (isNaN(saverDelay) || saverDelay < 5) {
            ui.showMessage(qsTr("The screen saver delay must be at least 5 seconds."), "error")
            saverField.input.forceActiveFocus()
            return
        }
        var restart = language !== uiSettings.language
        var stored = uiSettings.store({
            terminalName: nameField.text.trim(),
            serverHost: hostField.text.trim(),
            serverPort: port,
            networking: networkingToggle.checked,
            pinEntry: pinToggle.checked,
            language: language,
            screenSaverDelay: saverDelay
        })
        if (!stored) {
            ui.showMessage(qsTr("The settings could not be saved."), "error")
            ui.play("dlge")
            return
        }
        needsRestart = needsRestart || restart
        ui.showMessage(needsRestart ? qsTr("Settings saved. Restart the application to apply all of them.")
                                    : qsTr("Settings saved."), "ok")
    }

    // Volume and mute take effect, and are kept, at once.
    function setVolume(value) {
        uiSettings.volume = value
        sndMan.setVolume(uiSettings.volume)
    }

    function setMute(on) {
        uiSettings.mute = on
        sndMan.setMute(on)
    }

    Connections {
        target: serverCheck
        function onFinished(answered, host, port) {
            var address = host + ":" + port
            if (answered)
                page.ui.showMessage(qsTr("The server %1 answered.").arg(address), "ok")
            else
                page.ui.showMessage(qsTr("The server %1 did not answer.").arg(address), "error")
        }
    }

    FormFlickable {
        id: flick
        anchors.fill: parent
        contentHeight: content.height + Theme.px(16)
        Column {
            id: content
            width: parent.width
            spacing: Theme.px(12)

            PageTitle { text: qsTr("Settings") }

            Grid {
                id: grid
                width: parent.width
                columns: width > Theme.px(560) ? 2 : 1
                columnSpacing: Theme.px(16)
                rowSpacing: Theme.px(12)
                readonly property real cellWidth: (width - (columns - 1) * columnSpacing) / columns

                LabeledField {
                    id: nameField
                    // Where the page starts when it is chosen, so that Tab goes on in it.
                    focus: true
                    width: grid.cellWidth
                    label: qsTr("Terminal name")
                    objectName: "terminalNameField"
                    text: uiSettings.terminalName
                    maximumLength: 64
                    next: hostField
                }
                LabeledField {
                    id: hostField
                    width: grid.cellWidth
                    label: qsTr("Server address")
                    objectName: "serverHostField"
                    text: uiSettings.serverHost
                    maximumLength: 255
                    next: portField
                    inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase
                }
                LabeledField {
                    id: portField
                    width: grid.cellWidth
                    label: qsTr("Server port")
                    objectName: "serverPortField"
                    text: uiSettings.serverPort
                    maximumLength: 5
                    next: saverField
                    validator: IntValidator { bottom: 1; top: 65535 }
                    inputMethodHints: Qt.ImhDigitsOnly
                }
                LabeledField {
                    id: saverField
                    width: grid.cellWidth
                    label: qsTr("Screen saver after (seconds)")
                    text: uiSettings.screenSaverDelay
                    maximumLength: 5
                    onAccepted: page.save()
                    validator: IntValidator { bottom: 5; top: 86400 }
                    inputMethodHints: Qt.ImhDigitsOnly
                }
                ToggleSwitch {
                    id: networkingToggle
                    width: grid.cellWidth
                    label: qsTr("Networking")
                    checked: uiSettings.networking
                }
                ToggleSwitch {
                    id: pinToggle
                    width: grid.cellWidth
                    objectName: "pinEntryToggle"
                    label: qsTr("Identify by personal number")
                    checked: uiSettings.pinEntry
                }
                ToggleSwitch {
                    id: muteToggle
                    width: grid.cellWidth
                    label: qsTr("Mute sounds")
                    checked: uiSettings.mute
                    onToggled: page.setMute(checked)
                }

                // Volume in steps of ten.
                Rectangle {
                    width: grid.cellWidth
                    height: Theme.px(56)
                    radius: Theme.px(8)
                    color: Theme.surfaceRaised
                    Text {
                        anchors.left: parent.left
                        anchors.leftMargin: Theme.px(14)
                        anchors.verticalCenter: parent.verticalCenter
                        text: qsTr("Volume %1 %").arg(uiSettings.volume)
                        color: Theme.text
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(18)
                    }
                    Row {
                        anchors.right: parent.right
                        anchors.rightMargin: Theme.px(6)
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: Theme.px(6)
                        KioskButton {
                            implicitWidth: Theme.px(56)
                            implicitHeight: Theme.px(44)
                            text: "\u2212"
                            Accessible.name: qsTr("Quieter")
                            onClicked: page.setVolume(uiSettings.volume - 10)
                        }
                        KioskButton {
                            implicitWidth: Theme.px(56)
                            implicitHeight: Theme.px(44)
                            objectName: "louder"
                            text: "+"
                            Accessible.name: qsTr("Louder")
                            onClicked: page.setVolume(uiSettings.volume + 10)
                        }
                    }
                }
            }

            Text {
                text: qsTr("Language *")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(15)
            }
            Row {
                spacing: Theme.px(10)
                Repeater {
                    model: [{ code: "SK", name: "Slovensky" }, { code: "EN", name: "English" }]
                    KioskButton {
                        text: modelData.name
                        baseColor: page.language === modelData.code ? Theme.accent : Theme.surfaceRaised
                        onClicked: page.language = modelData.code
                    }
                }
            }

            Text {
                width: parent.width
                wrapMode: Text.WordWrap
                text: qsTr("* takes effect after a restart of the application.")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(14)
            }

            Flow {
                width: parent.width
                spacing: Theme.px(10)
                KioskButton {
                    objectName: "saveSettings"
                    text: qsTr("Save")
                    baseColor: Theme.accent
                    onClicked: page.save()
                }
                KioskButton {
                    objectName: "testServer"
                    enabled: !serverCheck.running
                    text: qsTr("Test server connection")
                    onClicked: {
                        page.ui.showMessage(qsTr("Contacting the server\u2026"), "info")
                        serverCheck.start(hostField.text.trim(), parseInt(portField.text, 10) || 0)
                    }
                }
                RestartButton {
                    visible: page.needsRestart
                    ui: page.ui
                    normalText: qsTr("Restart now")
                    reason: "Restart after a change of settings"
                }
            }
        }
    }
}
