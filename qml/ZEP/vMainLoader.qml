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

    // Made only when the main document cannot be shown: a text costs its font at
    // start.
    Loader {
        anchors.centerIn: parent
        active: mainLoader.status === Loader.Error
        sourceComponent: Text {
            color: Theme.text
            font.pixelSize: 32
            text: qsTr("User interface not found")
        }
    }

    Connections {
        target: base
        function onChangeRootQML(file) { mainLoader.source = file }
    }

    // The main document binds to objects that the controller exposes after this document has
    // loaded; it is asked for once the start is through.
    Component.onCompleted: Qt.callLater(function () { base.getMainQML() })
}
