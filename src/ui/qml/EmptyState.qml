import QtQuick
import Dictrava

// What a list shows while it has nothing: a large symbol, a title and a line of help.
Column {
    id: emptyState

    required property string symbol
    required property string title
    required property string description

    spacing: 8

    Image {
        anchors.horizontalCenter: parent.horizontalCenter
        width: 40
        height: 40
        sourceSize: Qt.size(80, 80)
        source: SymbolIcons.tinted(emptyState.symbol, Theme.secondaryText)
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        text: emptyState.title
        color: Theme.text
        font.pixelSize: Theme.title3Size
        font.bold: true
    }
    Text {
        width: parent.width
        horizontalAlignment: Text.AlignHCenter
        text: emptyState.description
        color: Theme.secondaryText
        font.pixelSize: Theme.bodySize
        wrapMode: Text.Wrap
    }
}
