import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// The Usage tab: whether usage pings go out, where to, and under which name.
ColumnLayout {
    id: page

    required property QtObject settings

    spacing: 14

    SettingsSection {
        Layout.fillWidth: true
        Layout.topMargin: 16
        Layout.leftMargin: 16
        Layout.rightMargin: 16
        title: "Company usage tracking"

        SettingSwitch {
            text: "Send anonymous usage pings"
            checked: page.settings.usageEnabled
            onToggled: page.settings.usageEnabled = checked
        }
        TextField {
            Layout.fillWidth: true
            placeholderText: "Endpoint URL"
            Accessible.name: "Endpoint URL"
            text: page.settings.usageEndpoint
            onTextEdited: page.settings.usageEndpoint = text
        }
        TextField {
            Layout.fillWidth: true
            placeholderText: "Display name (shown on the dashboard)"
            Accessible.name: "Display name (shown on the dashboard)"
            text: page.settings.userDisplayName
            onTextEdited: page.settings.userDisplayName = text
        }
    }

    SettingsSection {
        Layout.fillWidth: true
        Layout.leftMargin: 16
        Layout.rightMargin: 16

        Caption {
            text: "Pings include a random device ID, event name, and app version — no transcripts, ever. View the dashboard at your web app's /dashboard page."
        }
    }

    Item {
        Layout.fillHeight: true
    }
}
