import QtQuick 2.15

// The last step of an entrance: what was recorded, and when.
Column {
    id: confirmation

    property string typeName: ""
    property int direction: 1
    property string directionWord: ""
    property string time: ""

    spacing: Theme.px(12)

    Rectangle {
        anchors.horizontalCenter: parent.horizontalCenter
        width: Theme.px(110)
        height: width
        radius: width / 2
        color: confirmation.direction === 1 ? Theme.arrival : Theme.departure
        Text {
            anchors.centerIn: parent
            text: "\u2713"
            color: Theme.onColour
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
        text: confirmation.typeName + " \u2014 " + confirmation.directionWord
        color: Theme.textMuted
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(24)
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        visible: confirmation.time !== ""
        text: qsTr("Recorded at %1").arg(confirmation.time)
        color: Theme.textMuted
        font.family: Theme.fontFamily
        font.pixelSize: Theme.px(20)
    }
}
