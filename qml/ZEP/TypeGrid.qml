import QtQuick 2.15

// The interruption types in their order; the first nine carry their digit key.
GridView {
    id: types

    property int columns: Math.max(2, Math.floor(width / Theme.px(250)))

    signal chosen(int row)

    // Moves the current type by delta, staying within the list.
    function move(delta) {
        if (count === 0)
            return
        currentIndex = Math.max(0, Math.min(count - 1, currentIndex + delta))
    }

    clip: true
    model: prerusModel
    cellWidth: Math.floor(width / columns)
    cellHeight: Theme.px(78)
    boundsBehavior: Flickable.StopAtBounds
    highlightFollowsCurrentItem: false
    currentIndex: -1
    onCurrentIndexChanged: if (currentIndex >= 0) positionViewAtIndex(currentIndex, GridView.Contain)

    delegate: Item {
        width: types.cellWidth
        height: types.cellHeight
        Rectangle {
            anchors.fill: parent
            anchors.margins: Theme.px(5)
            radius: Theme.px(10)
            color: typeMouse.pressed ? Theme.accentDark : Theme.surfaceRaised
            border.width: index === types.currentIndex ? Theme.px(3) : 0
            border.color: Theme.focusRing

            Rectangle {
                visible: index < 9
                anchors.left: parent.left
                anchors.leftMargin: Theme.px(10)
                anchors.verticalCenter: parent.verticalCenter
                width: Theme.px(40)
                height: width
                radius: width / 2
                color: Theme.accent
                Text {
                    anchors.centerIn: parent
                    text: index + 1
                    color: Theme.onColour
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(22)
                    font.bold: true
                }
            }
            Column {
                anchors.left: parent.left
                anchors.leftMargin: index < 9 ? Theme.px(60) : Theme.px(14)
                anchors.right: parent.right
                anchors.rightMargin: Theme.px(8)
                anchors.verticalCenter: parent.verticalCenter
                Text {
                    width: parent.width
                    text: model.nazov
                    color: Theme.text
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(20)
                    font.bold: true
                    elide: Text.ElideRight
                }
                Text {
                    width: parent.width
                    text: model.skratka
                    color: Theme.textMuted
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.px(14)
                    elide: Text.ElideRight
                }
            }
            MouseArea {
                id: typeMouse
                anchors.fill: parent
                onClicked: types.chosen(index)
            }
        }
    }
}
