import QtQuick
import QtQuick.Layouts
import Dictrava

// An explanatory line under a group's controls.
Text {
    Layout.fillWidth: true
    color: Theme.secondaryText
    font.pixelSize: Theme.captionSize
    wrapMode: Text.Wrap
}
