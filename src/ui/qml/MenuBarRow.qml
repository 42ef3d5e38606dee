import QtQuick
import Dictrava

// One clickable row of the menu-bar panel: symbol and title, highlighted under the pointer.
Rectangle {
    id: row

    required property string title
    required property string symbol
    property bool hovering: hover.hovered
    signal activated

    implicitWidth: label.implicitWidth + 16
    implicitHeight: label.implicitHeight + 14
    radius: 8
    color: hovering ? Theme.hoverFill : "transparent"

    Row {
        id: label
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 8

        Image {
            anchors.verticalCenter: parent.verticalCenter
            width: 16
            height: 16
            sourceSize: Qt.size(32, 32)
            source: SymbolIcons.tinted(row.symbol, Theme.text)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: row.title
            color: Theme.text
            font.pixelSize: Theme.bodySize
        }
    }

    HoverHandler {
        id: hover
    }
    TapHandler {
        onTapped: row.activated()
    }
}
