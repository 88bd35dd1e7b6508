import QtQuick 2.15

// A screen created when first needed, or built in the background beforehand
// (preload()), so that the idle screen's first frame comes quickly: until then
// the screen's document is not even compiled.
Loader {
    // The screen's document and the properties it is created with.
    property url document
    property var screenProperties: ({})

    anchors.fill: parent
    active: false

    // Builds the screen in the background, unless it is there or under way.
    function preload() {
        if (status !== Loader.Null)
            return
        asynchronous = true
        active = true
        setSource(document, screenProperties)
    }

    // The screen, created now if it is not there yet; a background build still
    // under way is dropped and done at once.
    function load() {
        if (status !== Loader.Ready) {
            source = ""
            asynchronous = false
            active = true
            setSource(document, screenProperties)
        }
        return item
    }
}
