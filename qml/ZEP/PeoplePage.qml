import QtQuick 2.15

// The people of the terminal: search, colour groups, and the editor for adding,
// changing and deleting a person and assigning a card.
FocusScope {
    id: page

    property var ui
    readonly property var people: ludiaModel.sourceModel
    property bool groupMode: false
    property int currentGroup: -1
    property color currentGroupColor: Theme.outline

    function showGroups() {
        search.text = ""
        people.setColorGroupsMode(true)
        groupMode = true
        groups.forceActiveFocus()
    }

    function showGroup(group) {
        people.setGroupFilter(group)
        people.setColorGroupsMode(false)
        currentGroup = group
        currentGroupColor = people.colorGroups[group] || Theme.outline
        groupMode = false
        list.forceActiveFocus()
    }

    function showAll() {
        people.setGroupFilter(-1)
        people.setColorGroupsMode(false)
        currentGroup = -1
        groupMode = false
        search.input.forceActiveFocus()
    }

    // True when the card was expected here (the editor waits for one).
    function takeCard(code) {
        return editor.visible && editor.takeCard(code)
    }

    // The model is rebuilt after every change; the group's list with it.
    function reload() {
        managerLudi.obnovModelData()
        if (currentGroup >= 0)
            people.setGroupFilter(currentGroup)
    }

    Component.onCompleted: {
        managerLudi.ensureLoaded()
        search.input.forceActiveFocus()
    }
    Component.onDestruction: {
        ludiaModel.setFilterText("")
        if (groupMode || currentGroup >= 0)
            showAll()
    }

    // A people list applied from the server shows at once.
    Connections {
        target: dbSync
        function onSyncEnd(typ) { if (typ === "people") page.reload() }
    }

    Row {
        id: toolbar
        width: parent.width
        spacing: Theme.px(10)

        LabeledField {
            id: search
            objectName: "peopleSearch"
            width: parent.width - groupsButton.width - addButton.width - 2 * parent.spacing
            label: qsTr("Search by name or personal number")
            placeholder: qsTr("Type to search\u2026")
            enabled: !page.groupMode
            onTextChanged: ludiaModel.setFilterText(text)
            Keys.onDownPressed: list.forceActiveFocus()
            onAccepted: list.forceActiveFocus()
        }
        KioskButton {
            id: groupsButton
            objectName: "groupsButton"
            anchors.bottom: parent.bottom
            text: page.groupMode ? qsTr("List") : qsTr("Groups")
            onClicked: page.groupMode ? page.showAll() : page.showGroups()
        }
        KioskButton {
            id: addButton
            anchors.bottom: parent.bottom
            text: qsTr("Add person")
            baseColor: Theme.accent
            onClicked: editor.openNew()
        }
    }

    Row {
        id: filterInfo
        anchors.top: toolbar.bottom
        anchors.topMargin: Theme.px(8)
        height: Theme.px(32)
        spacing: Theme.px(10)

        Text {
            objectName: "peopleCount"
            anchors.verticalCenter: parent.verticalCenter
            text: page.groupMode ? qsTr("%n colour group(s)", "", groups.count)
                                 : qsTr("%n person(s)", "", list.count)
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(16)
        }
        Rectangle {
            visible: page.currentGroup >= 0 && !page.groupMode
            anchors.verticalCenter: parent.verticalCenter
            width: chipText.implicitWidth + Theme.px(24)
            height: Theme.px(30)
            radius: height / 2
            color: Theme.surfaceRaised
            border.color: page.currentGroupColor
            border.width: Theme.px(2)
            Text {
                id: chipText
                anchors.centerIn: parent
                text: qsTr("Group %1  \u2715").arg(page.currentGroup)
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(15)
            }
            MouseArea {
                anchors.fill: parent
                onClicked: page.showAll()
            }
        }
    }

    ListView {
        id: list
        objectName: "peopleList"
        anchors.top: filterInfo.bottom
        anchors.topMargin: Theme.px(6)
        anchors.bottom: parent.bottom
        width: parent.width
        visible: !page.groupMode
        model: page.groupMode ? null : ludiaModel
        clip: true
        reuseItems: true
        boundsBehavior: Flickable.StopAtBounds
        keyNavigationEnabled: true
        highlightMoveDuration: 0
        currentIndex: -1

        delegate: Rectangle {
            function open() {
                list.currentIndex = index
                editor.openPerson(model.uid, model.dochid, model.titul, model.meno, model.priezvisko, model.admin)
            }

            width: ListView.view.width
            height: Theme.px(54)
            color: ListView.isCurrentItem && list.activeFocus ? Theme.surfaceRaised
                 : index % 2 ? Theme.surface : Theme.background
            border.width: ListView.isCurrentItem && list.activeFocus ? Theme.px(2) : 0
            border.color: Theme.focusRing

            Rectangle {
                width: Theme.px(8)
                height: parent.height
                color: model.grpColor !== undefined && model.grpColor !== "" ? model.grpColor : Theme.outline
            }
            Text {
                anchors.left: parent.left
                anchors.leftMargin: Theme.px(20)
                anchors.right: badges.left
                anchors.rightMargin: Theme.px(8)
                anchors.verticalCenter: parent.verticalCenter
                text: model.joinedName
                color: Theme.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(19)
                elide: Text.ElideRight
            }
            Row {
                id: badges
                anchors.right: parent.right
                anchors.rightMargin: Theme.px(12)
                anchors.verticalCenter: parent.verticalCenter
                spacing: Theme.px(8)
                Text {
                    visible: model.admin > 0
                    text: qsTr("Admin")
                    color: Theme.warning
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(15)
                    font.bold: true
                }
                Text {
                    text: model.karta > 0 ? qsTr("Card") : qsTr("No card")
                    color: model.karta > 0 ? Theme.accent : Theme.textMuted
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(15)
                }
            }
            MouseArea {
                anchors.fill: parent
                onClicked: parent.open()
            }
        }

        Keys.onPressed: {
            if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter) && currentItem) {
                event.accepted = true
                currentItem.open()
            } else if (event.key === Qt.Key_Up && currentIndex <= 0) {
                event.accepted = true
                search.input.forceActiveFocus()
            }
        }
        onActiveFocusChanged: if (activeFocus && currentIndex < 0 && count > 0) currentIndex = 0

        Text {
            anchors.centerIn: parent
            visible: list.count === 0
            text: qsTr("Nobody found.")
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(20)
        }
    }

    GridView {
        id: groups
        anchors.fill: list
        visible: page.groupMode
        model: page.groupMode ? ludiaModel : null
        clip: true
        cellWidth: Math.floor(width / Math.max(1, Math.floor(width / Theme.px(280))))
        cellHeight: Theme.px(170)
        keyNavigationEnabled: true
        boundsBehavior: Flickable.StopAtBounds

        delegate: Item {
            readonly property int groupNumber: model.colorGroup
            width: groups.cellWidth
            height: groups.cellHeight
            Rectangle {
                anchors.fill: parent
                anchors.margins: Theme.px(5)
                radius: Theme.px(10)
                color: Theme.surface
                border.width: GridView.isCurrentItem && groups.activeFocus ? Theme.px(3) : Theme.px(1)
                border.color: GridView.isCurrentItem && groups.activeFocus ? Theme.focusRing : Theme.outline
                clip: true

                Rectangle {
                    id: groupHeader
                    width: parent.width
                    height: Theme.px(38)
                    radius: Theme.px(10)
                    color: model.grpColor !== undefined && model.grpColor !== "" ? model.grpColor : Theme.outline
                    Text {
                        anchors.fill: parent
                        anchors.leftMargin: Theme.px(12)
                        verticalAlignment: Text.AlignVCenter
                        text: qsTr("Group %1 \u00b7 %n person(s)", "", model.peopleInGroupCount).arg(model.colorGroup)
                        color: Theme.onColour
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(17)
                        font.bold: true
                    }
                }
                Row {
                    anchors.top: groupHeader.bottom
                    anchors.topMargin: Theme.px(6)
                    anchors.left: parent.left
                    anchors.leftMargin: Theme.px(10)
                    spacing: Theme.px(8)
                    Text {
                        width: (groups.cellWidth - Theme.px(40)) / 2
                        text: model.peopleInGroupText1
                        color: Theme.textMuted
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(13)
                        clip: true
                    }
                    Text {
                        width: (groups.cellWidth - Theme.px(40)) / 2
                        text: model.peopleInGroupText2
                        color: Theme.textMuted
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(13)
                        clip: true
                    }
                }
                MouseArea {
                    anchors.fill: parent
                    onClicked: page.showGroup(model.colorGroup)
                }
            }
        }

        Keys.onPressed: {
            if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter) && currentIndex >= 0) {
                event.accepted = true
                page.showGroup(currentItem.groupNumber)
            }
        }
    }

    PersonEditor {
        id: editor
        anchors.fill: parent
        ui: page.ui
        visible: false
        onChanged: page.reload()
        onVisibleChanged: if (!visible) (list.count > 0 ? list : search.input).forceActiveFocus()
    }
}
