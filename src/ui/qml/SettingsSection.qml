import QtQuick
import QtQuick.Layouts
import Dictrava

// One group of a settings form: a header over a rounded box of rows.
ColumnLayout {
    id: section

    property string title
    default property alias rows: box.data

    spacing: 4

    Text {
        visible: section.title !== ""
        leftPadding: 4
        text: section.title
        color: Theme.secondaryText
        font.pixelSize: Theme.captionSize
        font.bold: true
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: box.implicitHeight + 20
        radius: 8
        color: Theme.groupBackground
        border.color: Theme.divider

        ColumnLayout {
            id: box

            x: 12
            y: 10
            width: parent.width - 24
            spacing: 8
        }
    }
}
