import QtQuick 2.15

// Dims the screen while nobody uses the terminal; level 2 is nearly dark.
Rectangle {
    id: saver

    property int level: 0
    property var now: new Date()
    property var locale: Qt.locale()

    color: Theme.saver
    opacity: level === 0 ? 0 : level === 1 ? 0.72 : 0.92
    visible: opacity > 0
    Behavior on opacity { NumberAnimation { duration: 600 } }

    // The clock wanders slowly so that nothing burns into the panel. Made only
    // while the saver shows: its texts would follow the time all day.
    Loader {
        active: saver.visible
        x: (saver.width - width) * ((saver.now.getMinutes() % 7) / 6)
        y: (saver.height - height) * ((saver.now.getMinutes() % 5) / 4)
        sourceComponent: Column {
            Text {
                objectName: "saverClock"
                anchors.horizontalCenter: parent.horizontalCenter
                text: Qt.formatTime(saver.now, "hh:mm")
                color: Theme.saverText
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(96)
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: saver.now.toLocaleDateString(saver.locale, Locale.LongFormat)
                color: Theme.saverTextMuted
                font.family: Theme.fontFamily
                font.pixelSize: Theme.px(24)
            }
        }
    }
}
