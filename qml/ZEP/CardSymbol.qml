import QtQuick 2.15

// A contactless card drawn with plain shapes, shown where no camera picture is.
Item {
    Rectangle {
        anchors.fill: parent
        radius: height * 0.12
        color: Theme.surfaceRaised
        border.color: Theme.accent
        border.width: Math.max(2, height * 0.04)

        Rectangle {
            x: parent.width * 0.12
            y: parent.height * 0.28
            width: parent.width * 0.2
            height: parent.height * 0.3
            radius: height * 0.15
            color: Theme.warning
        }
        Repeater {
            model: 3
            Rectangle {
                x: parent.width * 0.55 + index * parent.width * 0.1
                y: parent.height * (0.3 - index * 0.08)
                width: parent.width * 0.05
                height: parent.height * (0.4 + index * 0.16)
                radius: width / 2
                color: "transparent"
                border.color: Theme.accent
                border.width: Math.max(2, parent.height * 0.04)
            }
        }
    }
}
