import QtQuick
import Dictrava

// A symbol that acts as a button (the cards' close buttons, the briefing rows' ticks). Reachable
// with Tab where its window takes the keyboard; Enter or Space presses it.
Item {
    id: button

    required property string symbol
    required property string name
    property color tint: Theme.secondaryText
    property int size: 16
    signal clicked

    implicitWidth: size + 4
    implicitHeight: size + 4
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    Keys.onSpacePressed: clicked()

    Rectangle {
        anchors.fill: parent
        radius: width / 2
        color: "transparent"
        border.width: button.activeFocus ? 2 : 0
        border.color: Theme.accent
    }
    SymbolImage {
        anchors.centerIn: parent
        symbol: button.symbol
        tint: button.tint
        size: button.size
    }
    TapHandler {
        onTapped: button.clicked()
    }
}
