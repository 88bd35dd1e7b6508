import QtQuick 2.15

// Recording an entrance for the identified person: the interruption type, then
// the direction, then a confirmation with the last entrance, which may be
// deleted while the terminal allows it.
FocusScope {
    id: entrance

    property var ui
    property string step: "types"        // "types", "direction" or "done"
    property int uid: 0
    property int chosenPid: -1
    property string chosenName: ""
    property string chosenAbbreviation: ""
    property int direction: 1
    property int recordedDirection: 1
    readonly property bool hasLast: lastEntrance.exists
    readonly property string lastTime: hasLast ? timeText(lastEntrance.time) : ""
    readonly property string recordedAt: hasLast ? lastEntrance.time.toLocaleTimeString(ui.locale, Locale.ShortFormat) : ""
    readonly property bool canDelete: hasLast && lastEntrance.deletable
    // The one pair of words for the two directions, indexed by direction.
    readonly property var directionWords: [qsTr("Departure"), qsTr("Arrival")]

    function begin(personUid) {
        uid = personUid
        header.name = aktClovek.getMeno()
        header.number = aktClovek.dochidText()
        header.balances = [aktClovek.get_saldoStr(1), aktClovek.get_saldoStr(2), aktClovek.get_saldoStr(3)]
        step = "types"
        types.currentIndex = types.count > 0 ? 0 : -1
        types.positionViewAtBeginning()
        manPrerus.poslednePrerusenie(uid)
        touch()
        ui.play("zp")
    }

    function touch() {
        backToIdle.interval = (step === "done" ? uiSettings.confirmationTimeout
                                               : uiSettings.entranceTimeout) * 1000
        backToIdle.restart()
    }

    // Today's entrances show their time; older ones their date as well.
    function timeText(when) {
        var time = when.toLocaleTimeString(ui.locale, Locale.ShortFormat)
        if (when.toDateString() === new Date().toDateString())
            return time
        return when.toLocaleDateString(ui.locale, Locale.ShortFormat) + " " + time
    }

    function chooseType(index) {
        if (index < 0 || index >= types.count)
            return
        types.currentIndex = index
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
            // After a failed commit the terminal may not know: a second try could count twice.
            ui.showMessage(manPrerus.recordingUndecided()
                           ? qsTr("The terminal cannot tell whether the entrance was recorded. Please do not record it again and tell the office.")
                           : qsTr("The entrance could not be recorded. Please try again."), "error")
            ui.play("dlge")
            touch()
            return
        }
        recordedDirection = dir
        sndMan.playEntrance(chosenAbbreviation, dir)
        manPrerus.poslednePrerusenie(uid)
        step = "done"
        touch()
    }

    // Escape and the button beside the last entrance: one step back, from the types to idle.
    function back() {
        if (step === "direction") {
            step = "types"
            touch()
        } else {
            ui.goIdle()
        }
    }

    function deleteLast() {
        if (!manPrerus.checkLastPrerus()) {
            ui.showMessage(hasLast ? qsTr("The time for deleting the last entrance is over: it can no longer be deleted.")
                                   : qsTr("There is no entrance to delete."), "error")
            ui.play("dlge")
            return
        }
        if (!manPrerus.vymazPoslednePrerusenie()) {
            ui.showMessage(qsTr("The entrance could not be deleted."), "error")
            ui.play("dlge")
        } else {
            ui.showMessage(qsTr("The entrance was deleted."), "ok")
            ui.play("vymaz")
            manPrerus.poslednePrerusenie(uid)
            step = "types"
        }
        touch()
    }

    Keys.onPressed: {
        touch()
        event.accepted = true
        var key = event.key
        // Digits by the key's place: under the Slovak layout the key marked 1 types "+".
        var digit = kioskInput.digitOf(event.nativeScanCode, key)
        if (key === Qt.Key_Delete) {
            deleteLast()
            return
        }
        if (step === "types") {
            if (digit >= 1)
                chooseType(digit - 1)
            else if (key === Qt.Key_Right || key === Qt.Key_Tab)
                types.move(1)
            else if (key === Qt.Key_Left || key === Qt.Key_Backtab)
                types.move(-1)
            else if (key === Qt.Key_Down)
                types.move(types.columns)
            else if (key === Qt.Key_Up)
                types.move(-types.columns)
            else if (key === Qt.Key_Return || key === Qt.Key_Enter)
                chooseType(types.currentIndex)
            else if (key === Qt.Key_Escape)
                ui.goIdle()
            else
                event.accepted = false
        } else if (step === "direction") {
            if (digit === 1)
                record(1)
            else if (digit === 0)
                record(0)
            else if (key === Qt.Key_Left || key === Qt.Key_Right || key === Qt.Key_Tab
                     || key === Qt.Key_Backtab || key === Qt.Key_Up || key === Qt.Key_Down)
                direction = direction === 1 ? 0 : 1
            else if (key === Qt.Key_Return || key === Qt.Key_Enter)
                record(direction)
            else if (key === Qt.Key_Escape)
                back()
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

    PersonHeader {
        id: header
        anchors.left: parent.left
        anchors.right: parent.right
        height: Theme.px(92)
    }

    LastEntranceBar {
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: Theme.px(76)
        text: entrance.hasLast ? qsTr("Last entrance: %1  %2").arg(entrance.lastTime).arg(lastEntrance.text)
                               : qsTr("No previous entrance")
        canDelete: entrance.canDelete
        done: entrance.step === "done"
        stepBack: entrance.step === "direction"
        onDeleteRequested: entrance.deleteLast()
        onBackRequested: entrance.back()
    }

    Item {
        id: body
        anchors.top: header.bottom
        anchors.bottom: parent.bottom
        anchors.bottomMargin: Theme.px(76)
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

        TypeGrid {
            id: types
            objectName: "typeGrid"
            anchors.top: typesTitle.bottom
            anchors.topMargin: Theme.px(8)
            anchors.bottom: parent.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            visible: entrance.step !== "done"
            onChosen: entrance.chooseType(row)
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

        DirectionChoice {
            anchors.fill: parent
            visible: entrance.step === "direction"
            typeName: entrance.chosenName
            direction: entrance.direction
            words: entrance.directionWords
            onRecordRequested: entrance.record(chosen)
        }

        EntranceConfirmation {
            anchors.centerIn: parent
            visible: entrance.step === "done"
            typeName: entrance.chosenName
            direction: entrance.recordedDirection
            directionWord: entrance.directionWords[entrance.recordedDirection === 1 ? 1 : 0]
            time: entrance.recordedAt
        }
    }
}
