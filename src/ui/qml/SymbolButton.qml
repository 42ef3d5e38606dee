import QtQuick
import QtQuick.Controls
import Dictrava

// A push button with a symbol before its title; a prominent one is filled with its tint.
Button {
    id: button

    property string symbol
    property bool prominent: false
    property color tint: Theme.accent

    icon.source: SymbolIcons.tinted(symbol, prominent ? "white" : Theme.text)
    icon.width: 14
    icon.height: 14
    icon.color: "transparent"
    palette.button: prominent ? tint : Theme.system.button
    palette.buttonText: prominent ? "white" : Theme.system.buttonText
}
