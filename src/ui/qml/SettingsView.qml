import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The settings window: General, Dictionary, Snippets and Usage, each a tab of its own.
Rectangle {
    id: view

    required property SettingsModel model

    color: Theme.windowBackground

    Shortcut {
        sequences: ["Ctrl+W"]
        onActivated: view.Window.window.close()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        TabBar {
            id: tabs

            Layout.fillWidth: true

            Repeater {
                model: [
                    { title: "General", symbol: "gearshape" },
                    { title: "Dictionary", symbol: "character.book.closed" },
                    { title: "Snippets", symbol: "text.badge.plus" },
                    { title: "Usage", symbol: "chart.bar" }
                ]
                TabButton {
                    required property var modelData
                    text: modelData.title
                    icon.source: SymbolIcons.source(modelData.symbol)
                    icon.width: 14
                    icon.height: 14
                }
            }
        }

        StackLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            currentIndex: tabs.currentIndex

            GeneralSettings {
                model: view.model
            }
            DictionarySettings {
                model: view.model.dictionary
            }
            SnippetSettings {
                model: view.model.snippets
            }
            UsageSettings {
                settings: view.model.settings
            }
        }
    }
}
