import QtQuick
import Dictrava

// One mode of the Command Deck: its symbol, title and subtitle; tinted in the mode's accent when
// selected. Clicked, or Enter/Space while it has the keyboard, selects the mode.
Rectangle {
    id: tile

    required property string mode
    required property string title
    required property string symbol
    required property string subtitle
    property bool selected: false
    readonly property color accent: Theme.modeAccent(mode)
    signal activated

    implicitHeight: Math.max(64, content.implicitHeight + 20)
    radius: 12
    color: selected ? Theme.withAlpha(accent, 0.16) : (hover.hovered ? Theme.primary(0.08) : Theme.primary(0.05))
    border.width: activeFocus ? 2 : (selected ? 1 : 0)
    border.color: activeFocus ? Theme.accent : Theme.withAlpha(accent, 0.55)
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: title
    Accessible.description: subtitle
    Accessible.onPressAction: activated()
    Keys.onReturnPressed: activated()
    Keys.onEnterPressed: activated()
    Keys.onSpacePressed: activated()

    Column {
        id: content
        x: 10
        y: 10
        width: parent.width - 20
        spacing: 4

        SymbolImage {
            symbol: tile.symbol
            tint: tile.selected ? tile.accent : Theme.text
            size: Theme.title3Size
        }
        Text {
            width: parent.width
            text: tile.title
            color: Theme.text
            font.pixelSize: Theme.subheadlineSize
            font.weight: Font.DemiBold
            elide: Text.ElideRight
        }
        Text {
            width: parent.width
            text: tile.subtitle
            color: Theme.secondaryText
            font.pixelSize: Theme.caption2Size
            elide: Text.ElideRight
        }
    }
    HoverHandler {
        id: hover
    }
    TapHandler {
        onTapped: tile.activated()
    }
}
