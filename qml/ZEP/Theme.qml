pragma Singleton
import QtQuick 2.15

// Colours, sizes and type scale of the terminal; sizes follow the window so
// that 800 x 480 and larger screens keep the same proportions.
QtObject {
    property real scale: 1.0

    readonly property color background: "#0e1822"
    readonly property color surface: "#172533"
    readonly property color surfaceRaised: "#213243"
    readonly property color outline: "#2f4458"
    readonly property color text: "#f2f6fa"
    readonly property color textMuted: "#9fb2c4"
    readonly property color accent: "#34b6a6"
    readonly property color accentDark: "#1f7f73"
    readonly property color arrival: "#2f9e5e"
    readonly property color departure: "#d5683f"
    readonly property color danger: "#d64545"
    readonly property color warning: "#e0a23a"
    readonly property color focusRing: "#f4d35e"
    // Text and marks on the coloured surfaces (accent, arrival, departure, banners).
    readonly property color onColour: "#ffffff"
    // Shade behind an overlay that waits for the card reader.
    readonly property color scrim: "#cc000000"
    // The screen saver: nearly black, with a dim clock.
    readonly property color saver: "#000000"
    readonly property color saverText: "#ffffff"
    readonly property color saverTextMuted: "#c0c0c0"

    readonly property string fontFamily: "DejaVu Sans"

    function px(value) {
        return Math.round(value * scale)
    }

    // Colour of an attendance-server state, from 0 (networking off) to 4 (online).
    function serverStateColor(state) {
        switch (state) {
        case 4: return arrival
        case 3: return warning
        case 1:
        case 2: return danger
        default: return textMuted
        }
    }
}
