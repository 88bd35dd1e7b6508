import QtQuick 2.15

// The waiting screen: clock, terminal name, server state, camera picture and
// the prompt. Card reads reach it through kioskInput; what is typed here by hand
// is a personal number while numbers are taken, and a reminder of the card
// otherwise (card numbers are printed on the cards).
FocusScope {
    id: idle

    property var ui
    property string numberBuffer: ""
    readonly property bool cameraOn: camCtrl.active
    property int pictureSerial: 0
    readonly property int previewInterval: uiSettings.cameraPreviewInterval

    function reset() {
        numberBuffer = ""
    }

    Keys.onPressed: {
        event.accepted = true
        if (event.key === Qt.Key_Return || event.key === Qt.Key_Enter) {
            var number = numberBuffer
            numberBuffer = ""
            if (number !== "")
                ui.identifyByNumber(parseInt(number, 10))
        } else if (event.key === Qt.Key_Escape) {
            numberBuffer = ""
        } else if (event.key === Qt.Key_Backspace) {
            numberBuffer = numberBuffer.slice(0, -1)
        } else if (event.key === Qt.Key_F2 && uiSettings.pinEntry) {
            ui.showPinEntry()
        } else if (event.key === Qt.Key_F10 || event.key === Qt.Key_Menu) {
            ui.openAdministration()
        } else if (event.text.length > 0 && event.text.charCodeAt(0) >= 32) {
            if (!uiSettings.pinEntry)
                ui.showMessage(qsTr("Please present your card to the reader."), "info")
            else if (/^[0-9]$/.test(event.text) && numberBuffer.length < 9)
                numberBuffer += event.text
            bufferTimeout.restart()
        } else {
            event.accepted = false
        }
    }

    // A half-typed number is dropped if the person stops typing.
    Timer {
        id: bufferTimeout
        interval: 5000
        onTriggered: idle.numberBuffer = ""
    }

    Timer {
        interval: Math.max(1, idle.previewInterval) * 1000
        running: idle.visible && idle.cameraOn && idle.previewInterval > 0 && idle.ui.saverLevel === 0
        repeat: true
        triggeredOnStart: true
        onTriggered: camCtrl.updatePicture()
    }

    Connections {
        target: camCtrl
        function onImageReady() { idle.pictureSerial++ }
    }

    // Top bar: terminal name, server state, administration.
    Rectangle {
        id: topBar
        anchors.left: parent.left
        anchors.right: parent.right
        height: Theme.px(56)
        color: Theme.surface

        Text {
            anchors.left: parent.left
            anchors.leftMargin: Theme.px(20)
            anchors.right: statePill.left
            anchors.rightMargin: Theme.px(12)
            anchors.verticalCenter: parent.verticalCenter
            text: uiSettings.terminalName !== "" ? uiSettings.terminalName : qsTr("Attendance terminal")
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(22)
            font.bold: true
            elide: Text.ElideRight
        }

        ServerStatePill {
            id: statePill
            anchors.right: adminButton.left
            anchors.rightMargin: Theme.px(12)
            anchors.verticalCenter: parent.verticalCenter
            serverState: idle.ui.serverState
            connecting: idle.ui.serverConnecting
        }

        KioskButton {
            id: adminButton
            anchors.right: parent.right
            anchors.rightMargin: Theme.px(8)
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: Theme.px(56)
            implicitHeight: Theme.px(44)
            activeFocusOnTab: false
            baseColor: Theme.surfaceRaised
            text: "\u2699"
            fontSize: Theme.px(24)
            Accessible.name: qsTr("Administration")
            onClicked: idle.ui.openAdministration()
        }
    }

    // Clock and date; under the screen saver only its own clock shows.
    Column {
        id: clock
        objectName: "idleClock"
        visible: idle.ui.saverLevel === 0
        anchors.left: parent.left
        anchors.leftMargin: Theme.px(40)
        anchors.top: topBar.bottom
        anchors.topMargin: Theme.px(36)
        spacing: Theme.px(4)

        Row {
            spacing: Theme.px(8)
            Text {
                text: Qt.formatTime(idle.ui.now, "hh:mm")
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(112)
                font.bold: true
            }
            Text {
                anchors.baseline: parent.children[0].baseline
                text: Qt.formatTime(idle.ui.now, "ss")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(40)
            }
        }
        Text {
            objectName: "idleDate"
            text: idle.ui.now.toLocaleDateString(idle.ui.locale, Locale.LongFormat)
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(26)
        }
    }

    // Camera picture, or a card symbol when no camera works.
    Rectangle {
        id: pictureFrame
        anchors.right: parent.right
        anchors.rightMargin: Theme.px(40)
        anchors.top: topBar.bottom
        anchors.topMargin: Theme.px(36)
        width: Theme.px(240)
        height: Theme.px(180)
        radius: Theme.px(14)
        color: Theme.surface
        border.color: Theme.outline
        border.width: Theme.px(2)
        clip: true

        Image {
            anchors.fill: parent
            anchors.margins: Theme.px(4)
            visible: idle.cameraOn && idle.pictureSerial > 0
            source: visible ? "image://camera/userPicture/" + idle.pictureSerial : ""
            cache: false
            fillMode: Image.PreserveAspectCrop
        }

        CardSymbol {
            anchors.centerIn: parent
            visible: !(idle.cameraOn && idle.pictureSerial > 0)
            width: Theme.px(120)
            height: Theme.px(80)
        }
    }

    // Prompt and personal-number entry.
    Column {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        // A message moves the prompt up instead of covering it.
        anchors.bottomMargin: Theme.px(28) + idle.ui.bannerHeight
        spacing: Theme.px(14)

        Rectangle {
            id: prompt
            objectName: "cardPrompt"
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(parent.width - Theme.px(80), promptText.implicitWidth + Theme.px(80))
            height: Theme.px(76)
            radius: height / 2
            color: promptMouse.pressed ? Theme.accentDark : Theme.accent

            Text {
                id: promptText
                anchors.centerIn: parent
                width: parent.width - Theme.px(40)
                horizontalAlignment: Text.AlignHCenter
                text: idle.numberBuffer !== "" ? qsTr("Personal number: %1").arg(idle.numberBuffer)
                                               : qsTr("Present your card")
                color: Theme.onColour
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(32)
                font.bold: true
                elide: Text.ElideRight
            }

            MouseArea {
                id: promptMouse
                anchors.fill: parent
                onClicked: idle.ui.play("pk")
            }
        }

        // Made only while personal numbers are taken: its texts cost their fonts
        // at start.
        Loader {
            anchors.horizontalCenter: parent.horizontalCenter
            active: uiSettings.pinEntry
            sourceComponent: KioskButton {
                objectName: "numberButton"
                activeFocusOnTab: false
                implicitWidth: Theme.px(320)
                text: qsTr("Enter personal number")
                hint: qsTr("F2, or type the number and press Enter")
                onClicked: idle.ui.showPinEntry()
            }
        }
    }
}
