import QtQuick
import QtQuick.Controls.Fusion
import Dictrava

// A borderless button that shows only a symbol; its name is for the tooltip and screen readers.
ToolButton {
    id: button

    required property string symbol
    required property string name
    property color tint: Theme.secondaryText
    property int symbolSize: 16

    flat: true
    focusPolicy: Qt.NoFocus
    implicitWidth: symbolSize + 10
    implicitHeight: symbolSize + 10
    Accessible.name: name
    ToolTip.text: name
    ToolTip.visible: hovered
    ToolTip.delay: 600
    contentItem: Image {
        fillMode: Image.Pad
        sourceSize: Qt.size(button.symbolSize, button.symbolSize)
        source: SymbolIcons.tinted(button.symbol, button.tint)
    }
}
