import QtQuick 2.15

// The second step of an entrance: arrival or departure for the chosen type.
Rectangle {
    id: choice

    property string typeName: ""
    property int direction: 1
    property var words: ["", ""]

    signal recordRequested(int chosen)

    color: Theme.background
    MouseArea { anchors.fill: parent }

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: Theme.px(16)
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: choice.typeName
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
                label: choice.words[1]
                key: "1"
                arrow: "\u2192"
                baseColor: Theme.arrival
                selected: choice.direction === 1
                onClicked: choice.recordRequested(1)
            }
            DirectionButton {
                objectName: "departureButton"
                width: Theme.px(300)
                height: Theme.px(150)
                label: choice.words[0]
                key: "0"
                arrow: "\u2190"
                baseColor: Theme.departure
                selected: choice.direction === 0
                onClicked: choice.recordRequested(0)
            }
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTr("Press 1 for arrival, 0 for departure, Esc to go back.")
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(16)
        }
    }
}
