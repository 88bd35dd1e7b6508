import QtQuick 2.15

// Adding, changing and deleting one person, and assigning a card by reading it.
FocusScope {
    id: editor

    property var ui
    property int uid: 0
    property string cardCode: ""
    property bool readingCard: false
    readonly property var people: ludiaModel.sourceModel

    signal changed()

    onReadingCardChanged: if (!readingCard && visible) cardButton.forceActiveFocus()

    function openNew() {
        uid = 0
        numberField.text = ""
        titleField.text = ""
        firstNameField.text = ""
        surnameField.text = ""
        adminToggle.checked = false
        cardCode = ""
        readingCard = false
        visible = true
        numberField.input.forceActiveFocus()
    }

    function openPerson(personUid, dochid, titul, meno, priez, adminFlag) {
        uid = personUid
        numberField.text = dochid
        titleField.text = titul
        firstNameField.text = meno
        surnameField.text = priez
        adminToggle.checked = adminFlag > 0
        cardCode = people.getKartaKod(people.indexByDochId(dochid))
        readingCard = false
        visible = true
        firstNameField.input.forceActiveFocus()
    }

    function close() {
        readingCard = false
        visible = false
    }

    function save() {
        var dochid = parseInt(numberField.text, 10)
        if (isNaN(dochid) || dochid <= 0) {
            ui.showMessage(qsTr("Enter a personal number greater than 0."), "error")
            numberField.input.forceActiveFocus()
            return
        }
        if (firstNameField.text.trim() === "" && surnameField.text.trim() === "") {
            ui.showMessage(qsTr("Enter a name."), "error")
            firstNameField.input.forceActiveFocus()
            return
        }
        var ok
        if (uid === 0)
            ok = managerLudi.pridajCloveka(dochid, titleField.text.trim(), firstNameField.text.trim(),
                                           surnameField.text.trim(), adminToggle.checked ? 1 : 0)
        else
            ok = managerLudi.upravCloveka(uid, dochid, titleField.text.trim(), firstNameField.text.trim(),
                                          surnameField.text.trim(), adminToggle.checked ? 1 : 0)
        if (!ok) {
            ui.showMessage(uid === 0 ? qsTr("The person could not be added. Is the personal number already used?")
                                     : qsTr("The changes could not be saved."), "error")
            ui.play("dlge")
            return
        }
        editor.changed()
        if (uid === 0) {
            // Stay open so that a card can be assigned to the new person at once.
            uid = Math.max(0, people.getUid(people.indexByDochId(dochid)))
            ui.showMessage(qsTr("The person was added. You can assign a card now."), "ok")
        } else {
            ui.showMessage(qsTr("The changes were saved."), "ok")
            close()
        }
    }

    function remove() {
        if (!managerLudi.zmazCloveka(uid)) {
            ui.showMessage(qsTr("The person could not be deleted."), "error")
            ui.play("dlge")
            return
        }
        ui.showMessage(qsTr("The person was deleted."), "ok")
        editor.changed()
        close()
    }

    function removeCard() {
        if (!managerLudi.priradKartu(uid, "")) {
            ui.showMessage(qsTr("The card could not be removed."), "error")
            ui.play("dlge")
            return
        }
        cardCode = ""
        ui.showMessage(qsTr("The card was removed."), "ok")
        editor.changed()
    }

    function startReadingCard() {
        readingCard = true
        cardReader.forceActiveFocus()
        ui.play("pk")
    }

    // A card read goes to the person only while the editor waits for it.
    function takeCard(code) {
        if (!readingCard)
            return false
        assignCard(code)
        return true
    }

    function assignCard(code) {
        readingCard = false
        // The card of somebody else stays theirs.
        var owner = manPrerus.overKartu(code)
        aktClovek.clear()
        if (owner > 0 && owner !== uid) {
            ui.showMessage(qsTr("This card already belongs to another person."), "error")
            ui.play("kjr")
        } else if (managerLudi.priradKartu(uid, code)) {
            cardCode = code
            ui.showMessage(qsTr("The card was assigned."), "ok")
            editor.changed()
        } else {
            ui.showMessage(qsTr("The card could not be assigned."), "error")
            ui.play("dlge")
        }
        cardButton.forceActiveFocus()
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.background
    }
    MouseArea { anchors.fill: parent }

    Keys.onPressed: {
        if (event.key === Qt.Key_Escape) {
            event.accepted = true
            editor.close()
        }
    }

    FormFlickable {
        anchors.fill: parent
        contentHeight: content.height + Theme.px(16)
        Column {
            id: content
            width: parent.width
            spacing: Theme.px(12)

            PageTitle { text: editor.uid === 0 ? qsTr("New person") : qsTr("Edit person") }

            Grid {
                id: grid
                width: parent.width
                columns: width > Theme.px(520) ? 2 : 1
                columnSpacing: Theme.px(16)
                rowSpacing: Theme.px(12)
                readonly property real cellWidth: (width - (columns - 1) * columnSpacing) / columns

                LabeledField {
                    id: numberField
                    objectName: "personNumber"
                    width: grid.cellWidth
                    label: qsTr("Personal number")
                    maximumLength: 9
                    next: titleField
                    validator: IntValidator { bottom: 1; top: 999999999 }
                    inputMethodHints: Qt.ImhDigitsOnly
                }
                LabeledField {
                    id: titleField
                    objectName: "personTitle"
                    width: grid.cellWidth
                    label: qsTr("Title")
                    maximumLength: 32
                    next: firstNameField
                }
                LabeledField {
                    id: firstNameField
                    objectName: "personFirstName"
                    width: grid.cellWidth
                    label: qsTr("First name")
                    maximumLength: 64
                    next: surnameField
                }
                LabeledField {
                    id: surnameField
                    objectName: "personSurname"
                    width: grid.cellWidth
                    label: qsTr("Surname")
                    maximumLength: 64
                    onAccepted: editor.save()
                }
                ToggleSwitch {
                    id: adminToggle
                    width: grid.cellWidth
                    label: qsTr("Administrator")
                }
                Text {
                    width: grid.cellWidth
                    height: Theme.px(56)
                    verticalAlignment: Text.AlignVCenter
                    text: editor.cardCode !== "" ? qsTr("Card: %1").arg(editor.cardCode) : qsTr("No card assigned")
                    color: editor.cardCode !== "" ? Theme.text : Theme.textMuted
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(18)
                    elide: Text.ElideRight
                }
            }

            Text {
                objectName: "unknownCardText"
                visible: editor.ui.unknownCard !== ""
                width: parent.width
                wrapMode: Text.Wrap
                text: qsTr("Last unknown card: %1, read at %2")
                      .arg(editor.ui.unknownCard)
                      .arg(editor.ui.unknownCardTime.toLocaleString(editor.ui.locale, "d.M. hh:mm"))
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(16)
            }

            Flow {
                width: parent.width
                spacing: Theme.px(10)
                KioskButton {
                    objectName: "savePerson"
                    text: qsTr("Save")
                    baseColor: Theme.accent
                    onClicked: editor.save()
                }
                KioskButton {
                    id: cardButton
                    objectName: "readCard"
                    enabled: editor.uid > 0
                    text: qsTr("Read card")
                    onClicked: editor.startReadingCard()
                }
                KioskButton {
                    objectName: "assignUnknownCard"
                    visible: editor.uid > 0 && editor.ui.unknownCard !== ""
                             && editor.ui.unknownCard !== editor.cardCode
                    text: qsTr("Assign the last unknown card")
                    onClicked: editor.assignCard(editor.ui.unknownCard)
                }
                ConfirmButton {
                    objectName: "removeCard"
                    visible: editor.uid > 0 && editor.cardCode !== ""
                    normalText: qsTr("Remove card")
                    onConfirmed: editor.removeCard()
                }
                ConfirmButton {
                    visible: editor.uid > 0
                    normalText: qsTr("Delete person")
                    onConfirmed: editor.remove()
                }
                KioskButton {
                    text: qsTr("Cancel")
                    hint: qsTr("Esc")
                    onClicked: editor.close()
                }
            }
        }
    }

    // Waits for the card reader; Escape or a touch cancels.
    FocusScope {
        id: cardReader
        objectName: "cardReader"
        anchors.fill: parent
        visible: editor.readingCard

        Rectangle {
            anchors.fill: parent
            color: Theme.scrim
        }
        MouseArea {
            anchors.fill: parent
            onClicked: editor.readingCard = false
        }
        Column {
            anchors.centerIn: parent
            spacing: Theme.px(16)
            CardSymbol {
                anchors.horizontalCenter: parent.horizontalCenter
                width: Theme.px(150)
                height: Theme.px(100)
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("Present the card to the reader")
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(28)
                font.bold: true
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: qsTr("Esc cancels")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(18)
            }
        }

        Keys.onPressed: {
            event.accepted = true
            if (event.key === Qt.Key_Escape)
                editor.readingCard = false
        }
    }
}
