import QtQuick 2.15

// Title line of an administration page.
Text {
    color: Theme.text
    font.family: Theme.fontFamily
    font.pixelSize: Theme.px(26)
    font.bold: true
    elide: Text.ElideRight
}
