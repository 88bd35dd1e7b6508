import QtQuick 2.15

// The identified person: name, personal number and the three balances.
Rectangle {
    id: header

    property string name: ""
    property string number: ""
    property var balances: []

    color: Theme.surface

    Column {
        anchors.left: parent.left
        anchors.leftMargin: Theme.px(24)
        anchors.right: balanceRow.left
        anchors.rightMargin: Theme.px(12)
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.px(2)
        // A long name gets smaller, then takes a second line: the surname stays.
        Text {
            objectName: "personName"
            width: parent.width
            height: Theme.px(56)
            text: header.name
            color: Theme.text
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(32)
            font.bold: true
            fontSizeMode: Text.Fit
            minimumPixelSize: Theme.px(14)
            wrapMode: Text.Wrap
            verticalAlignment: Text.AlignVCenter
        }
        Text {
            objectName: "personNumberText"
            text: qsTr("Personal number %1").arg(header.number)
            color: Theme.textMuted
            font.family: Theme.fontFamily
            font.pixelSize: Theme.px(17)
        }
    }

    Row {
        id: balanceRow
        anchors.right: parent.right
        anchors.rightMargin: Theme.px(16)
        anchors.verticalCenter: parent.verticalCenter
        spacing: Theme.px(8)
        Repeater {
            model: header.balances
            Rectangle {
                width: Theme.px(104)
                height: Theme.px(64)
                radius: Theme.px(8)
                color: Theme.surfaceRaised
                Column {
                    anchors.centerIn: parent
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: qsTr("Balance %1").arg(index + 1)
                        color: Theme.textMuted
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(13)
                    }
                    Text {
                        objectName: "balance" + (index + 1)
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: modelData
                        color: String(modelData).charAt(0) === "-" ? Theme.departure : Theme.text
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.px(24)
                        font.bold: true
                    }
                }
            }
        }
    }
}
