import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The Snippets tab: a cue phrase, the text it expands to, and the snippets so far.
ColumnLayout {
    id: page

    required property SnippetListModel model

    spacing: 12

    // Coming to the tab, the user is here to type a new one.
    onVisibleChanged: if (visible) cue.forceActiveFocus()

    Text {
        Layout.fillWidth: true
        Layout.topMargin: 16
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        text: "Say the cue phrase during dictation and get the full text."
        color: Theme.secondaryText
        font.pixelSize: Theme.calloutSize
        wrapMode: Text.Wrap
    }

    RowLayout {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        Layout.alignment: Qt.AlignTop

        ColumnLayout {
            Layout.fillWidth: true

            TextField {
                id: cue
                Layout.fillWidth: true
                placeholderText: "Cue (e.g. “insert my address”)"
                text: page.model.cue
                onTextEdited: page.model.cue = text
                onAccepted: page.add()
            }
            ScrollView {
                Layout.fillWidth: true
                Layout.preferredHeight: Math.max(content.implicitHeight, 3 * content.font.pixelSize * 1.4 + 16)
                Layout.maximumHeight: 110
                // Framed like the cue field above, so that the empty area reads as a field.
                background: Rectangle {
                    color: Theme.system.base
                    border.color: content.activeFocus ? Theme.accent : Theme.divider
                    radius: 2
                }

                TextArea {
                    id: content
                    placeholderText: "Expands to…"
                    wrapMode: TextEdit.Wrap
                    text: page.model.content
                    onTextChanged: page.model.content = text
                    // Enter starts a new line here; Ctrl+Enter adds the snippet.
                    Keys.onPressed: (event) => {
                        if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                                && (event.modifiers & Qt.ControlModifier)) {
                            page.add()
                            event.accepted = true
                        }
                    }
                }
            }
        }
        Button {
            Layout.alignment: Qt.AlignTop
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
            id: snippet

            required property string cue
            required property string content

            width: ListView.view.width
            entryList: entries
            onRemoveRequested: page.model.remove(index)

            Text {
                Layout.fillWidth: true
                text: snippet.cue
                color: Theme.text
                font.pixelSize: Theme.bodySize
                font.bold: true
                elide: Text.ElideRight
            }
            Text {
                Layout.fillWidth: true
                text: snippet.content
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
        }
    }

    function add() {
        if (model.add())
            cue.forceActiveFocus()
    }
}
