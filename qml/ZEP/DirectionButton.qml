import QtQuick 2.15

// One of the two big direction choices with its keypad digit.
Rectangle {
    id: button

    property string label: ""
    property string key: ""
    property string arrow: ""
    property color baseColor: Theme.arrival
    property bool selected: false

    signal clicked()

    radius: Theme.px(16)
    color: mouse.pressed ? Qt.darker(baseColor, 1.3) : baseColor
    border.width: selected ? Theme.px(4) : 0
    border.color: Theme.focusRing

    Rectangle {
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: Theme.px(10)
        width: Theme.px(44)
        height: width
        radius: width / 2
        color: Theme.onColour
        opacity: 0.9
        Text {
            anchors.centerIn: parent
            text: button.key
            color: button.baseColor
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(26)
            font.bold: true
        }
    }
    Column {
        anchors.centerIn: parent
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: button.arrow
            color: Theme.onColour
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(48)
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: button.label
            color: Theme.onColour
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(32)
            font.bold: true
        }
    }
    MouseArea {
        id: mouse
        anchors.fill: parent
        onClicked: button.clicked()
    }
}
