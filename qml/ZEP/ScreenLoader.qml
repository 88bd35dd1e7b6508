import QtQuick 2.15

// A screen created when first needed (or preloaded in the background after the
// idle screen is up), so that the idle screen's first frame comes quickly.
Loader {
    anchors.fill: parent
    active: false
    asynchronous: true

    // The screen, created now if a background load has not finished yet.
    function load() {
        active = true
        asynchronous = false
        return item
    }
}
