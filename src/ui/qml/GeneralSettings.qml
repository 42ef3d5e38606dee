import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The General tab: dictation, focus coach, briefing hours, reminder lead, auto-edits and what the
// app may use. The permission rows are asked for again each time the tab comes on screen.
ScrollView {
    id: page

    required property SettingsModel model
    readonly property QtObject settings: model.settings
    readonly property bool showing: visible && Window.visibility !== Window.Hidden

    onShowingChanged: if (showing) model.recheckPermissions()

    contentWidth: availableWidth
    clip: true

    ColumnLayout {
        x: 16
        width: page.availableWidth - 32
        spacing: 14

        Item { implicitHeight: 2 }

        SettingsSection {
            Layout.fillWidth: true
            title: "Dictation"

            RowLayout {
                Text {
                    Layout.fillWidth: true
                    text: "Hotkey"
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                }
                Text {
                    text: "Hold Right Alt"
                    color: Theme.secondaryText
                    font.pixelSize: Theme.bodySize
                }
            }
            RowLayout {
                Text {
                    Layout.fillWidth: true
                    text: "Output"
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                }
                ComboBox {
                    implicitWidth: 220
                    model: ["Type at cursor (any app)", "Copy to clipboard only"]
                    currentIndex: page.model.outputIndex
                    Accessible.name: "Output"
                    onActivated: (index) => page.model.outputIndex = index
                }
            }
            SettingSwitch {
                text: "On-device recognition only"
                checked: page.settings.onDeviceRecognition
                onToggled: page.settings.onDeviceRecognition = checked
            }
            SettingSwitch {
                text: "Show dock waveform while speaking"
                checked: page.settings.showDockStation
                onToggled: page.settings.showDockStation = checked
            }
            Caption {
                text: "Hold Right Alt to speak. Ctrl+Space opens the Command Deck — Dictate, Capture, Focus, Briefing, Meeting, Tasks."
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: "Focus Coach"

            SettingSwitch {
                text: "Show Focus HUD"
                checked: page.settings.showFocusHUD
                onToggled: page.settings.showFocusHUD = checked
            }
            Caption {
                text: "Pin today’s North Star + milestones in the top-right. Drift nudges when you jump away mid-task."
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: "Tomorrow Briefing"

            HourStepperRow {
                Layout.fillWidth: true
                stepper: page.model.morningHour
            }
            HourStepperRow {
                Layout.fillWidth: true
                stepper: page.model.middayHour
            }
            Caption {
                text: "Night dump in Briefing mode → morning card + midday resurface of untouched items."
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: "Reminders"

            RowLayout {
                Text {
                    Layout.fillWidth: true
                    text: "Nudge me before due"
                    color: Theme.text
                    font.pixelSize: Theme.bodySize
                }
                Text {
                    text: page.model.leadLabel
                    color: Theme.secondaryText
                    font.pixelSize: Theme.bodySize
                }
            }
            Slider {
                Layout.fillWidth: true
                from: 1.0
                to: 6.0
                stepSize: 0.5
                snapMode: Slider.SnapAlways
                value: page.model.leadHours
                Accessible.name: "Nudge me before due"
                onMoved: page.model.leadHours = value
            }
            Caption {
                text: "Desktop notification fires this many hours before each task’s due time (default 3.5)."
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: "Auto-edits"

            SettingSwitch {
                text: "Remove filler words (um, uh, you know…)"
                checked: page.settings.removeFillers
                onToggled: page.settings.removeFillers = checked
            }
            SettingSwitch {
                text: "Auto-capitalize sentences"
                checked: page.settings.autoCapitalize
                onToggled: page.settings.autoCapitalize = checked
            }
            SettingSwitch {
                text: "Add ending punctuation"
                checked: page.settings.autoPunctuate
                onToggled: page.settings.autoPunctuate = checked
            }
        }

        SettingsSection {
            Layout.fillWidth: true
            title: "Permissions"

            Repeater {
                model: page.model.permissions

                ColumnLayout {
                    id: permission

                    required property int index
                    required property string title
                    required property bool granted
                    required property bool canOpenSettings
                    required property string help

                    Layout.fillWidth: true
                    spacing: 2

                    RowLayout {
                        Text {
                            text: permission.title
                            color: Theme.text
                            font.pixelSize: Theme.bodySize
                        }
                        Item { Layout.fillWidth: true }
                        Image {
                            sourceSize: Qt.size(16, 16)
                            source: SymbolIcons.tinted(permission.granted ? "checkmark.circle.fill" : "xmark.circle.fill",
                                                       permission.granted ? Theme.granted : Theme.destructive)
                            Accessible.name: permission.granted ? "Granted" : "Not granted"
                        }
                        Button {
                            visible: permission.canOpenSettings
                            text: "Open Settings"
                            onClicked: page.model.permissions.openSettings(permission.index)
                        }
                    }
                    Caption {
                        visible: permission.help !== ""
                        text: permission.help
                    }
                }
            }
        }

        Item { implicitHeight: 6 }
    }
}
