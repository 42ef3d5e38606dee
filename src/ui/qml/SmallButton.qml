import QtQuick
import Dictrava

// A small text button: bordered, or filled with `tint` (a text-strength accent) when prominent.
// Keyboard as PlainButton.
Rectangle {
    id: button

    required property string text
    property color tint: Theme.accent
    property bool prominent: false
    signal clicked

    implicitWidth: label.implicitWidth + 16
    implicitHeight: label.implicitHeight + 8
    radius: 6
    opacity: enabled ? 1 : 0.45
    color: prominent ? tint : (hover.hovered && enabled ? Theme.primary(0.1) : Theme.primary(0.05))
    border.width: activeFocus ? 2 : (prominent ? 0 : 1)
    border.color: activeFocus ? Theme.accent : Theme.divider
    activeFocusOnTab: enabled
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: if (enabled) clicked()
    Keys.onReturnPressed: if (enabled) clicked()
    Keys.onEnterPressed: if (enabled) clicked()
    Keys.onSpacePressed: if (enabled) clicked()

    Text {
        id: label
        anchors.centerIn: parent
        text: button.text
        color: button.prominent ? (Theme.dark ? "#1d1d1f" : "white") : Theme.text
        font.pixelSize: Theme.captionSize
        font.weight: Font.Medium
    }
    HoverHandler {
        id: hover
    }
    TapHandler {
        enabled: button.enabled
        onTapped: button.clicked()
    }
}
