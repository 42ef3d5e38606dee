import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The history window: past dictations, newest first, each to copy or delete.
Rectangle {
    id: view

    required property HistoryListModel model

    color: Theme.windowBackground

    Shortcut {
        sequences: ["Ctrl+W"]
        onActivated: view.Window.window.close()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.margins: 16

            Text {
                Layout.fillWidth: true
                text: "Dictation History"
                color: Theme.text
                font.pixelSize: Theme.title3Size
                font.bold: true
            }
            Button {
                text: "Clear all"
                enabled: view.model.count > 0
                palette.buttonText: Theme.destructive
                onClicked: view.model.clearAll()
            }
        }

        Divider {
            Layout.fillWidth: true
        }

        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            EmptyState {
                visible: view.model.count === 0
                anchors.centerIn: parent
                width: Math.min(parent.width - 48, 380)
                symbol: "clock.arrow.circlepath"
                title: "Nothing here yet"
                description: "Your dictations will show up here."
            }

            ListView {
                id: list

                visible: view.model.count > 0
                anchors.fill: parent
                anchors.margins: 8
                clip: true
                focus: true
                reuseItems: true
                keyNavigationEnabled: true
                highlightMoveDuration: 0
                model: view.model
                ScrollBar.vertical: ScrollBar {}

                highlight: Rectangle {
                    // The list sizes a highlight only while it has no width; bound, it follows the rows.
                    width: list.width
                    radius: 6
                    color: list.activeFocus ? Theme.hoverFill : Theme.quaternaryFill
                }

                delegate: HistoryRow {
                    width: ListView.view.width
                    onSelected: {
                        list.currentIndex = index
                        list.forceActiveFocus()
                    }
                    onCopyRequested: view.model.copy(index)
                    onRemoveRequested: view.model.remove(index)
                }

                Keys.onDeletePressed: view.model.remove(currentIndex)
                Keys.onPressed: (event) => {
                    if (event.matches(StandardKey.Copy)) {
                        view.model.copy(currentIndex)
                        event.accepted = true
                    }
                }
            }
        }
    }
}
