import QtQuick 2.15

// Attendance-server state as a coloured dot and a short text.
Rectangle {
    id: pill

    property int serverState: 0
    // No synchronisation has ended since the start: the state is not known yet.
    property bool connecting: false

    implicitWidth: row.implicitWidth + Theme.px(24)
    implicitHeight: Theme.px(36)
    radius: height / 2
    color: Theme.background
    border.color: pill.connecting ? Theme.outline : Theme.serverStateColor(pill.serverState)
    border.width: Theme.px(2)

    function stateText(value) {
        if (connecting)
            return qsTr("Connecting…")
        switch (value) {
        case 4: return qsTr("Online")
        case 3: return qsTr("Rejected by server")
        case 2: return qsTr("Server error")
        case 1: return qsTr("Server unreachable")
        default: return qsTr("Offline")
        }
    }

    Row {
        id: row
        anchors.centerIn: parent
        spacing: Theme.px(8)
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: Theme.px(12)
            height: width
            radius: width / 2
            color: pill.connecting ? Theme.outline : Theme.serverStateColor(pill.serverState)
        }
        Text {
            objectName: "serverStateText"
            anchors.verticalCenter: parent.verticalCenter
            text: pill.stateText(pill.serverState)
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(16)
        }
    }
}
