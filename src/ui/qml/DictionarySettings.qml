import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The Dictionary tab: how the recogniser hears a word, how to write it, and the entries so far.
ColumnLayout {
    id: page

    required property DictionaryListModel model

    spacing: 12

    // Coming to the tab, the user is here to type a new one.
    onVisibleChanged: if (visible) spoken.forceActiveFocus()

    Text {
        Layout.fillWidth: true
        Layout.topMargin: 16
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        text: "Teach Dictrava how to write your names and jargon."
        color: Theme.secondaryText
        font.pixelSize: Theme.calloutSize
        wrapMode: Text.Wrap
    }

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16

        TextField {
            id: spoken
            Layout.fillWidth: true
            placeholderText: "Heard as (e.g. “my sequel”)"
            text: page.model.spoken
            onTextEdited: page.model.spoken = text
            onAccepted: page.add()
        }
        TextField {
            Layout.fillWidth: true
            placeholderText: "Write as (e.g. “MySQL”)"
            text: page.model.written
            onTextEdited: page.model.written = text
            onAccepted: page.add()
        }
        Button {
            text: "Add"
            enabled: page.model.canAdd
            onClicked: page.add()
        }
    }

    EntryList {
        id: entries

        Layout.fillWidth: true
        Layout.fillHeight: true
        model: page.model
        onDeleteRequested: (row) => page.model.remove(row)

        delegate: EntryRow {
            id: entry

            required property string spoken
            required property string written

            width: ListView.view.width
            entryList: entries
            onRemoveRequested: page.model.remove(index)

            RowLayout {
                Layout.fillWidth: true
                spacing: 6

                Text {
                    text: entry.spoken
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                }
                Image {
                    sourceSize: Qt.size(12, 12)
                    source: SymbolIcons.tinted("arrow.right", Theme.tertiaryText)
                }
                Text {
                    Layout.fillWidth: true
                    text: entry.written
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                    elide: Text.ElideRight
                }
            }
        }
    }

    function add() {
        if (model.add())
            spoken.forceActiveFocus()
    }
}
