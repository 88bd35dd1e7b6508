import QtQuick 2.15

// Recording an entrance for the identified person: the interruption type, then
// the direction, then a confirmation with the last entrance, which may be
// deleted while the terminal allows it.
FocusScope {
    id: entrance

    property var ui
    property string step: "types"        // "types", "direction" or "done"
    property int uid: 0
    property string personName: ""
    property string personNumber: ""
    property var balances: []
    property int chosenIndex: -1
    property int chosenPid: -1
    property string chosenName: ""
    property string chosenAbbreviation: ""
    property int direction: 1
    property int recordedDirection: 1
    property string lastTime: ""
    property string lastText: ""
    property bool canDelete: false
    readonly property int idleSeconds: Math.max(3, Number(ui.setting("ui/entranceTimeout", 15)))
    readonly property int confirmSeconds: Math.max(2, Number(ui.setting("ui/confirmationTimeout", 6)))

    function begin(personUid) {
        uid = personUid
        personName = aktClovek.getMeno()
        var number = String(aktClovek.get_dochid())
        personNumber = number.length < 4 ? ("0000" + number).slice(-4) : number
        balances = [aktClovek.get_saldoStr(1), aktClovek.get_saldoStr(2), aktClovek.get_saldoStr(3)]
        step = "types"
        types.currentIndex = prerusModel.rowCount() > 0 ? 0 : -1
        types.positionViewAtBeginning()
        manPrerus.poslednePrerusenie(uid)
        refreshLast()
        touch()
        ui.play("zp")
    }

    function touch() {
        ui.activity()
        backToIdle.interval = (step === "done" ? confirmSeconds : idleSeconds) * 1000
        backToIdle.restart()
    }

    function refreshLast() {
        lastTime = manPrerus.getLastPrerusCas()
        lastText = manPrerus.getLastPrerusText()
        canDelete = lastTime !== "" && manPrerus.checkLastPrerus()
    }

    function chooseType(index) {
        if (index < 0 || index >= prerusModel.rowCount())
            return
        types.currentIndex = index
        chosenIndex = index
        chosenPid = prerusModel.getPid(index)
        chosenName = prerusModel.getNazov(index)
        chosenAbbreviation = prerusModel.getSkratka(index)
        direction = 1
        step = "direction"
        touch()
    }

    function record(dir) {
        var ok = manPrerus.zapisPrerusenie(chosenPid, chosenName, chosenAbbreviation, dir,
                                           aktClovek.get_karta(), uid, aktClovek.get_dochid())
        if (!ok) {
            ui.showMessage(qsTr("The entrance could not be recorded. Please try again."), "error")
            ui.play("dlge")
            touch()
            return
        }
        recordedDirection = dir
        ui.play("p_" + chosenAbbreviation + "-0-" + dir)
        manPrerus.poslednePrerusenie(uid)
        refreshLast()
        step = "done"
        touch()
    }

    function deleteLast() {
        refreshLast()
        if (!canDelete)
            return
        manPrerus.vymazPoslednePrerusenie()
        if (manPrerus.getLastPrerusCas() !== "") {
            ui.showMessage(qsTr("The entrance could not be deleted."), "error")
            ui.play("dlge")
        } else {
            ui.showMessage(qsTr("The entrance was deleted."), "ok")
            ui.play("vymaz")
            manPrerus.poslednePrerusenie(uid)
            refreshLast()
            step = "types"
        }
        touch()
    }

    function moveCurrent(delta) {
        var count = prerusModel.rowCount()
        if (count === 0)
            return
        var next = types.currentIndex + delta
        types.currentIndex = Math.max(0, Math.min(count - 1, next))
    }

    Keys.onPressed: {
        touch()
        event.accepted = true
        var key = event.key
        if (key === Qt.Key_Delete) {
            deleteLast()
            return
        }
        if (step === "types") {
            if (key >= Qt.Key_1 && key <= Qt.Key_9)
                chooseType(key - Qt.Key_1)
            else if (key === Qt.Key_Right || key === Qt.Key_Tab)
                moveCurrent(1)
            else if (key === Qt.Key_Left || key === Qt.Key_Backtab)
                moveCurrent(-1)
            else if (key === Qt.Key_Down)
                moveCurrent(types.columns)
            else if (key === Qt.Key_Up)
                moveCurrent(-types.columns)
            else if (key === Qt.Key_Return || key === Qt.Key_Enter)
                chooseType(types.currentIndex)
            else if (key === Qt.Key_Escape)
                ui.goIdle()
            else
                event.accepted = false
        } else if (step === "direction") {
            if (key === Qt.Key_1)
                record(1)
            else if (key === Qt.Key_0)
                record(0)
            else if (key === Qt.Key_Left || key === Qt.Key_Right || key === Qt.Key_Tab
                     || key === Qt.Key_Backtab || key === Qt.Key_Up || key === Qt.Key_Down)
                direction = direction === 1 ? 0 : 1
            else if (key === Qt.Key_Return || key === Qt.Key_Enter)
                record(direction)
            else if (key === Qt.Key_Escape)
                step = "types"
            else
                event.accepted = false
        } else {
            if (key === Qt.Key_Return || key === Qt.Key_Enter || key === Qt.Key_Escape)
                ui.goIdle()
            else
                event.accepted = false
        }
    }

    Timer {
        id: backToIdle
        interval: 15000
        onTriggered: if (entrance.visible) entrance.ui.goIdle()
    }

    // The delete button disappears when the time for deleting runs out.
    Timer {
        running: entrance.visible && entrance.canDelete
        interval: 1000
        repeat: true
        onTriggered: entrance.canDelete = manPrerus.checkLastPrerus()
    }

    // Person and balances.
    Rectangle {
        id: header
        anchors.left: parent.left
        anchors.right: parent.right
        height: Theme.px(92)
        color: Theme.surface

        Column {
            anchors.left: parent.left
            anchors.leftMargin: Theme.px(24)
            anchors.right: balanceRow.left
            anchors.rightMargin: Theme.px(12)
            anchors.verticalCenter: parent.verticalCenter
            spacing: Theme.px(2)
            Text {
                objectName: "personName"
                width: parent.width
                text: entrance.personName
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(32)
                font.bold: true
                elide: Text.ElideRight
            }
            Text {
                text: qsTr("Personal number %1").arg(entrance.personNumber)
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(17)
            }
        }

        Row {
            id: balanceRow
            anchors.right: parent.right
            anchors.rightMargin: Theme.px(16)
            anchors.verticalCenter: parent.verticalCenter
            spacing: Theme.px(8)
            Repeater {
                model: entrance.balances
                Rectangle {
                    width: Theme.px(104)
                    height: Theme.px(64)
                    radius: Theme.px(8)
                    color: Theme.surfaceRaised
                    Column {
                        anchors.centerIn: parent
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: qsTr("Balance %1").arg(index + 1)
                            color: Theme.textMuted
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.px(13)
                        }
                        Text {
                            anchors.horizontalCenter: parent.horizontalCenter
                            text: modelData
                            color: String(modelData).charAt(0) === "-" ? Theme.departure : Theme.text
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.px(24)
                            font.bold: true
                        }
                    }
                }
            }
        }
    }

    // Last entrance with the delete button.
    Rectangle {
        id: lastBar
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: Theme.px(76)
        color: Theme.surface

        Text {
            anchors.left: parent.left
            anchors.leftMargin: Theme.px(24)
            anchors.right: deleteButton.visible ? deleteButton.left : backButton.left
            anchors.rightMargin: Theme.px(12)
            anchors.verticalCenter: parent.verticalCenter
            text: entrance.lastTime === "" ? qsTr("No previous entrance")
                                           : qsTr("Last entrance: %1  %2").arg(entrance.lastTime.replace("\n", " ")).arg(entrance.lastText)
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(18)
            wrapMode: Text.WordWrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }

        KioskButton {
            id: deleteButton
            objectName: "deleteButton"
            anchors.right: backButton.left
            anchors.rightMargin: Theme.px(10)
            anchors.verticalCenter: parent.verticalCenter
            visible: entrance.canDelete
            activeFocusOnTab: false
            text: qsTr("Delete")
            hint: qsTr("Del")
            baseColor: Theme.danger
            onClicked: entrance.deleteLast()
        }

        KioskButton {
            id: backButton
            anchors.right: parent.right
            anchors.rightMargin: Theme.px(16)
            anchors.verticalCenter: parent.verticalCenter
            activeFocusOnTab: false
            text: entrance.step === "done" ? qsTr("Done") : qsTr("Cancel")
            hint: entrance.step === "done" ? qsTr("Enter") : qsTr("Esc")
            onClicked: entrance.ui.goIdle()
        }
    }

    // Step 1: the interruption types in their order.
    Item {
        id: body
        anchors.top: header.bottom
        anchors.bottom: lastBar.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: Theme.px(12)

        Text {
            id: typesTitle
            visible: entrance.step !== "done"
            text: qsTr("Choose the interruption type")
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(20)
        }

        GridView {
            id: types
            objectName: "typeGrid"
            property int columns: Math.max(2, Math.floor(width / Theme.px(250)))
            anchors.top: typesTitle.bottom
            anchors.topMargin: Theme.px(8)
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            visible: entrance.step !== "done"
            clip: true
            model: prerusModel
            cellWidth: Math.floor(width / columns)
            cellHeight: Theme.px(78)
            boundsBehavior: Flickable.StopAtBounds
            highlightFollowsCurrentItem: false
            currentIndex: -1

            delegate: Item {
                width: types.cellWidth
                height: types.cellHeight
                Rectangle {
                    anchors.fill: parent
                    anchors.margins: Theme.px(5)
                    radius: Theme.px(10)
                    color: typeMouse.pressed ? Theme.accentDark : Theme.surfaceRaised
                    border.width: index === types.currentIndex ? Theme.px(3) : 0
                    border.color: Theme.focusRing

                    Rectangle {
                        id: badge
                        visible: index < 9
                        anchors.left: parent.left
                        anchors.leftMargin: Theme.px(10)
                        anchors.verticalCenter: parent.verticalCenter
                        width: Theme.px(40)
                        height: width
                        radius: width / 2
                        color: Theme.accent
                        Text {
                            anchors.centerIn: parent
                            text: index + 1
                            color: "#ffffff"
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.px(22)
                            font.bold: true
                        }
                    }
                    Column {
                        anchors.left: parent.left
                        anchors.leftMargin: index < 9 ? Theme.px(60) : Theme.px(14)
                        anchors.right: parent.right
                        anchors.rightMargin: Theme.px(8)
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            width: parent.width
                            text: model.nazov
                            color: Theme.text
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.px(20)
                            font.bold: true
                            elide: Text.ElideRight
                        }
                        Text {
                            width: parent.width
                            text: model.skratka
                            color: Theme.textMuted
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.px(14)
                            elide: Text.ElideRight
                        }
                    }
                    MouseArea {
                        id: typeMouse
                        anchors.fill: parent
                        onClicked: entrance.chooseType(index)
                    }
                }
            }
            onCurrentIndexChanged: if (currentIndex >= 0) positionViewAtIndex(currentIndex, GridView.Contain)
        }

        Text {
            anchors.centerIn: types
            visible: entrance.step === "types" && types.count === 0
            width: parent.width * 0.8
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTr("No interruption types are available yet. The terminal loads them from the server.")
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(22)
        }
    }

    // Step 2: the direction.
    Rectangle {
        anchors.fill: body
        visible: entrance.step === "direction"
        color: Theme.background
        MouseArea { anchors.fill: parent }

        Column {
            anchors.centerIn: parent
            width: parent.width
            spacing: Theme.px(16)
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: entrance.chosenName
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(30)
                font.bold: true
                elide: Text.ElideRight
            }
            Row {
                anchors.horizontalCenter: parent.horizontalCenter
                spacing: Theme.px(20)
                DirectionButton {
                    objectName: "arrivalButton"
                    width: Theme.px(300)
                    height: Theme.px(150)
                    label: qsTr("Arrival")
                    key: "1"
                    arrow: "\u2192"
                    baseColor: Theme.arrival
                    selected: entrance.direction === 1
                    onClicked: entrance.record(1)
                }
                DirectionButton {
                    objectName: "departureButton"
                    width: Theme.px(300)
                    height: Theme.px(150)
                    label: qsTr("Departure")
                    key: "0"
                    arrow: "\u2190"
                    baseColor: Theme.departure
                    selected: entrance.direction === 0
                    onClicked: entrance.record(0)
                }
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                text: qsTr("Press 1 for arrival, 0 for departure, Esc to go back.")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(16)
            }
        }
    }

    // Step 3: confirmation.
    Column {
        anchors.centerIn: body
        visible: entrance.step === "done"
        spacing: Theme.px(12)
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Theme.px(110)
            height: width
            radius: width / 2
            color: entrance.recordedDirection === 1 ? Theme.arrival : Theme.departure
            Text {
                anchors.centerIn: parent
                text: "\u2713"
                color: "#ffffff"
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(72)
                font.bold: true
            }
        }
        Text {
            objectName: "confirmation"
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Recorded")
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(36)
            font.bold: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: entrance.chosenName + " \u2014 "
                  + (entrance.recordedDirection === 1 ? qsTr("Arrival") : qsTr("Departure"))
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(24)
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: entrance.lastTime !== ""
            text: qsTr("Recorded at %1").arg(entrance.lastTime.split("\n")[0])
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(20)
        }
    }
}
