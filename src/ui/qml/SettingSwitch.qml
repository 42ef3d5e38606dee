import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// A toggle in a settings form: the label on the left, the switch at the right end.
RowLayout {
    id: row

    property alias text: label.text
    property alias checked: toggle.checked
    signal toggled

    Layout.fillWidth: true

    Text {
        id: label
        Layout.fillWidth: true
        color: Theme.text
        font.pixelSize: Theme.bodySize
        // One line: a label that wraps while the form is first laid out leaves the row's
        // height stale and the switch drawn below it.
        elide: Text.ElideRight
    }
    Switch {
        id: toggle
        Accessible.name: label.text
        onToggled: row.toggled()
    }
}
