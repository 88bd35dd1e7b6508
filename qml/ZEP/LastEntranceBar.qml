import QtQuick 2.15

// The person's last entrance, the delete button while deleting is allowed, and
// the way back.
Rectangle {
    id: bar

    property string text: ""
    property bool canDelete: false
    property bool done: false
    // The way back leads to the previous step, not to the idle screen.
    property bool stepBack: false

    signal deleteRequested()
    signal backRequested()

    color: Theme.surface

    Text {
        objectName: "lastEntrance"
        anchors.left: parent.left
        anchors.leftMargin: Theme.px(24)
        anchors.right: deleteButton.visible ? deleteButton.left : backButton.left
        anchors.rightMargin: Theme.px(12)
        anchors.verticalCenter: parent.verticalCenter
        text: bar.text
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
        visible: bar.canDelete
        activeFocusOnTab: false
        text: qsTr("Delete")
        hint: qsTr("Del")
        baseColor: Theme.danger
        onClicked: bar.deleteRequested()
    }

    KioskButton {
        id: backButton
        objectName: "backButton"
        anchors.right: parent.right
        anchors.rightMargin: Theme.px(16)
        anchors.verticalCenter: parent.verticalCenter
        activeFocusOnTab: false
        text: bar.done ? qsTr("Done") : bar.stepBack ? qsTr("Back") : qsTr("Cancel")
        hint: bar.done ? qsTr("Enter") : qsTr("Esc")
        onClicked: bar.backRequested()
    }
}
