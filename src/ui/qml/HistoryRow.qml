import QtQuick
import QtQuick.Layouts
import Dictrava

// One past dictation: its text, selectable for copying, over its date, time and row buttons.
Item {
    id: row

    required property int index
    required property string text
    required property string dateLabel
    required property string timeLabel

    signal selected
    signal copyRequested
    signal removeRequested

    implicitHeight: content.implicitHeight + 8

    TapHandler {
        onTapped: row.selected()
    }

    ColumnLayout {
        id: content

        x: 8
        y: 4
        width: parent.width - 16
        spacing: 4

        TextEdit {
            Layout.fillWidth: true
            readOnly: true
            selectByMouse: true
            text: row.text
            color: Theme.text
            selectionColor: Theme.accent
            font.pixelSize: Theme.bodySize
            wrapMode: TextEdit.Wrap
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: 6

            Text {
                text: row.dateLabel
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
            Text {
                Layout.fillWidth: true
                text: row.timeLabel
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
            IconButton {
                symbol: "doc.on.doc"
                name: "Copy"
                onClicked: row.copyRequested()
            }
            IconButton {
                symbol: "trash"
                name: "Delete"
                tint: Theme.destructive
                onClicked: row.removeRequested()
            }
        }
    }
}
