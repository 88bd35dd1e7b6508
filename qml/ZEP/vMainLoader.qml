import QtQuick 2.15

// Root of the window: asks the controller for the main document and shows it.
Rectangle {
    id: root
    width: 800
    height: 480
    color: Theme.background

    Loader {
        id: mainLoader
        anchors.fill: parent
        focus: true
    }

    Text {
        anchors.centerIn: parent
        visible: mainLoader.status !== Loader.Ready
        color: Theme.text
        font.pixelSize: 32
        text: mainLoader.status === Loader.Error ? qsTr("User interface not found") : "ZEP"
    }

    Connections {
        target: base
        function onChangeRootQML(file) { mainLoader.source = file }
    }

    Component.onCompleted: base.getMainQML()
}
