import QtQuick
import Dictrava

// A small symbol before a text, as in a row's detail line.
Row {
    id: label

    required property string symbol
    property alias text: caption.text
    property color color: Theme.secondaryText

    spacing: 3

    Image {
        anchors.verticalCenter: parent.verticalCenter
        width: 11
        height: 11
        sourceSize: Qt.size(22, 22)
        source: SymbolIcons.tinted(label.symbol, label.color)
    }
    Text {
        id: caption
        anchors.verticalCenter: parent.verticalCenter
        color: label.color
        font.pixelSize: Theme.captionSize
    }
}
