import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The tasks window: header with the reminder lead, the Open and Done sections, and the footer
// with the counts. Texts that depend on the tasks come from the model.
Rectangle {
    id: view

    required property TaskListModel model

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
            spacing: 12

            Column {
                Layout.fillWidth: true
                spacing: 2

                Text {
                    text: "Tasks & Reminders"
                    color: Theme.text
                    font.pixelSize: Theme.title3Size
                    font.bold: true
                }
                Text {
                    text: view.model.leadText
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                }
            }
            Button {
                text: "Capture with voice"
                highlighted: true
                icon.source: SymbolIcons.source("mic.fill")
                icon.width: 14
                icon.height: 14
                onClicked: view.model.captureWithVoice()
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
                symbol: "checklist"
                title: "No tasks yet"
                description: "Open the Command Deck (Ctrl+Space), choose Capture, then hold Right Alt and speak your plans."
            }

            ListView {
                id: list

                visible: view.model.count > 0
                anchors.fill: parent
                anchors.margins: 8
                clip: true
                focus: true
                keyNavigationEnabled: true
                highlightMoveDuration: 0
                model: view.model
                ScrollBar.vertical: ScrollBar {}

                section.property: "section"
                section.delegate: Text {
                    required property string section
                    leftPadding: 8
                    topPadding: 10
                    bottomPadding: 4
                    text: section
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                    font.bold: true
                }

                highlight: Rectangle {
                    // The list sizes a highlight only while it has no width; bound, it follows the rows.
                    width: list.width
                    radius: 6
                    color: list.activeFocus ? Theme.hoverFill : Theme.quaternaryFill
                }

                delegate: TaskRow {
                    width: ListView.view.width
                    onSelected: {
                        list.currentIndex = index
                        list.forceActiveFocus()
                    }
                    onToggled: view.model.toggleDone(index)
                    onMenuRequested: {
                        list.currentIndex = index
                        rowMenu.popup()
                    }
                }

                Keys.onDeletePressed: view.model.remove(currentIndex)
                Keys.onSpacePressed: view.model.toggleDone(currentIndex)

                Menu {
                    id: rowMenu

                    MenuItem {
                        text: view.model.canRemove(list.currentIndex) ? "Mark as Done" : "Mark as Open"
                        onTriggered: view.model.toggleDone(list.currentIndex)
                    }
                    MenuItem {
                        text: "Delete"
                        enabled: view.model.canRemove(list.currentIndex)
                        onTriggered: view.model.remove(list.currentIndex)
                    }
                }
            }
        }

        Divider {
            Layout.fillWidth: true
        }

        RowLayout {
            Layout.margins: 12
            Layout.leftMargin: 16
            Layout.rightMargin: 16

            Text {
                Layout.fillWidth: true
                text: view.model.footerText
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
            Button {
                text: "Clear done"
                enabled: view.model.canClearDone
                onClicked: view.model.clearDone()
            }
        }
    }
}
