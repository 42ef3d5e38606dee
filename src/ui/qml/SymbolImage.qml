import QtQuick
import Dictrava

// A symbol by name, drawn in one colour at `size` points.
Image {
    id: image

    required property string symbol
    property color tint: Theme.text
    property int size: 16

    width: size
    height: size
    sourceSize: Qt.size(size * 2, size * 2)
    source: SymbolIcons.tinted(symbol, tint)
}
