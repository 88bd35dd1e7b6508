import QtQuick 2.15

// Terminal settings kept in the settings file: name, server, networking,
// personal-number entry, language, sound and screen saver.
FocusScope {
    id: page

    property var ui
    property int volume: Number(zepSettings.value("audio/volume", 50))
    property string language: String(zepSettings.value("global/language", "SK")).toUpperCase()
    property bool needsRestart: false

    function toBool(value) {
        return value === true || value === "true" || value === 1 || value === "1"
    }

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
        var restart = language !== String(zepSettings.value("global/language", "SK")).toUpperCase()
                || pinToggle.checked !== toBool(zepSettings.value("global/PIN", false))
        writeIfChanged("global/terminalName", nameField.text.trim())
        writeIfChanged("serverKLD/ip", hostField.text.trim())
        writeIfChanged("serverKLD/port", port)
        writeIfChanged("global/networking", networkingToggle.checked)
        writeIfChanged("global/PIN", pinToggle.checked)
        writeIfChanged("global/language", language)
        writeIfChanged("audio/volume", volume)
        writeIfChanged("audio/mute", muteToggle.checked)
        writeIfChanged("ui/screenSaverDelay", saverDelay)
        zepSettings.syncSettings()
        needsRestart = needsRestart || restart
        ui.showMessage(needsRestart ? qsTr("Settings saved. Restart the application to apply all of them.")
                                    : qsTr("Settings saved."), "ok")
    }

    // Only real changes are written: every write is reported to the server.
    function writeIfChanged(key, value) {
        if (String(zepSettings.value(key, "")) !== String(value))
            zepSettings.setValue(key, value)
    }

    function setVolume(value) {
        volume = Math.max(0, Math.min(100, value))
        sndMan.setVolume(volume)
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
                    width: grid.cellWidth
                    label: qsTr("Terminal name")
                    text: zepSettings.value("global/terminalName", "")
                    maximumLength: 64
                }
                LabeledField {
                    id: hostField
                    width: grid.cellWidth
                    label: qsTr("Server address")
                    text: zepSettings.value("serverKLD/ip", "0.0.0.0")
                    maximumLength: 255
                    inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase
                }
                LabeledField {
                    id: portField
                    width: grid.cellWidth
                    label: qsTr("Server port")
                    text: zepSettings.value("serverKLD/port", 80)
                    maximumLength: 5
                    validator: IntValidator { bottom: 1; top: 65535 }
                    inputMethodHints: Qt.ImhDigitsOnly
                }
                LabeledField {
                    id: saverField
                    width: grid.cellWidth
                    label: qsTr("Screen saver after (seconds)")
                    text: zepSettings.value("ui/screenSaverDelay", 60)
                    maximumLength: 5
                    validator: IntValidator { bottom: 5; top: 86400 }
                    inputMethodHints: Qt.ImhDigitsOnly
                }
                ToggleSwitch {
                    id: networkingToggle
                    width: grid.cellWidth
                    label: qsTr("Networking")
                    checked: page.toBool(zepSettings.value("global/networking", true))
                }
                ToggleSwitch {
                    id: pinToggle
                    width: grid.cellWidth
                    label: qsTr("Identify by number *")
                    checked: page.toBool(zepSettings.value("global/PIN", false))
                }
                ToggleSwitch {
                    id: muteToggle
                    width: grid.cellWidth
                    label: qsTr("Mute sounds")
                    checked: page.toBool(zepSettings.value("audio/mute", false))
                    onToggled: sndMan.setMute(checked)
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
                        text: qsTr("Volume %1 %").arg(page.volume)
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
                            onClicked: page.setVolume(page.volume - 10)
                        }
                        KioskButton {
                            implicitWidth: Theme.px(56)
                            implicitHeight: Theme.px(44)
                            text: "+"
                            Accessible.name: qsTr("Louder")
                            onClicked: page.setVolume(page.volume + 10)
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
                    text: qsTr("Test server connection")
                    onClicked: {
                        base.checkServerSetup(hostField.text.trim(), parseInt(portField.text, 10) || 80)
                        page.ui.showMessage(qsTr("Contacting the server\u2026"), "info")
                    }
                }
                ConfirmButton {
                    visible: page.needsRestart
                    normalText: qsTr("Restart now")
                    onConfirmed: base.doReboot("Restart after a change of settings")
                }
            }
        }
    }
}
