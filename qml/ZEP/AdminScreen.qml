import QtQuick 2.15

// Administration: people, settings and the terminal's system functions.
FocusScope {
    id: admin

    property var ui
    property string page: "people"

    signal closed()

    // A card read in the administration is taken only where a card is expected.
    function takeCard(code) {
        if (page === "people" && pageLoader.item.takeCard(code))
            return
        ui.showMessage(qsTr("A card can be read here only to assign it to a person."), "info")
    }

    Keys.onPressed: {
        if (event.key === Qt.Key_Escape) {
            event.accepted = true
            admin.closed()
        }
    }

    Rectangle {
        id: nav
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        width: Theme.px(176)
        color: Theme.surface

        Column {
            anchors.fill: parent
            anchors.margins: Theme.px(10)
            spacing: Theme.px(8)

            Text {
                width: parent.width
                text: qsTr("Administration")
                color: Theme.textMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(16)
                elide: Text.ElideRight
            }
            Repeater {
                model: [
                    { key: "people", title: qsTr("People") },
                    { key: "settings", title: qsTr("Settings") },
                    { key: "system", title: qsTr("System") }
                ]
                KioskButton {
                    objectName: "page_" + modelData.key
                    width: parent.width
                    text: modelData.title
                    baseColor: admin.page === modelData.key ? Theme.accent : Theme.surfaceRaised
                    onClicked: {
                        admin.page = modelData.key
                        pageLoader.forceActiveFocus()
                    }
                }
            }
        }

        KioskButton {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: Theme.px(10)
            text: qsTr("Close")
            hint: qsTr("Esc")
            onClicked: admin.closed()
        }
    }

    Loader {
        id: pageLoader
        objectName: "adminPage"
        anchors.left: nav.right
        anchors.right: parent.right
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.margins: Theme.px(12)
        focus: true
        sourceComponent: admin.page === "people" ? peoplePage
                       : admin.page === "settings" ? settingsPage : systemPage
    }

    // The loader is a focus scope: the page it shows takes the focus given to it.
    Component {
        id: peoplePage
        PeoplePage { ui: admin.ui; focus: true }
    }
    Component {
        id: settingsPage
        SettingsPage { ui: admin.ui; focus: true }
    }
    Component {
        id: systemPage
        SystemPage { ui: admin.ui; focus: true }
    }
}
