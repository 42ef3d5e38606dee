import QtQuick
import Dictrava

// The panel behind the tray icon: whether the app listens, what it heard last, and every entry
// point of the app as a column of rows. All texts come from the model.
Rectangle {
    id: view

    required property MenuBarModel model

    width: 300
    height: column.implicitHeight + 28
    color: Theme.panelBackground
    border.color: Theme.divider

    Column {
        id: column
        x: 14
        y: 14
        width: parent.width - 28
        spacing: 10

        // Header
        Item {
            width: parent.width
            height: 28

            Image {
                id: icon
                width: 28
                height: 28
                sourceSize: Qt.size(56, 56)
                smooth: true
                source: "qrc:/Dictrava/dictrava.svg"
            }
            Text {
                anchors.left: icon.right
                anchors.leftMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: "Dictrava"
                color: Theme.text
                font.pixelSize: Theme.headlineSize
                font.weight: Font.DemiBold
            }
            Rectangle {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 9
                height: 9
                radius: 4.5
                color: view.model.isDictating ? Theme.recording : Theme.idle
            }
        }

        Text {
            width: parent.width
            text: view.model.statusMessage
            color: Theme.secondaryText
            font.pixelSize: Theme.calloutSize
            wrapMode: Text.Wrap
        }

        Row {
            visible: view.model.isDictating
            spacing: 8

            MenuBarWave {
                anchors.verticalCenter: parent.verticalCenter
                width: 90
                height: 18
                model: view.model
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: view.model.listeningHint
                color: Theme.secondaryText
                font.pixelSize: Theme.caption2Size
            }
        }

        Rectangle {
            visible: view.model.showsLiveBox
            width: parent.width
            height: live.implicitHeight + 16
            radius: 8
            color: Theme.quaternaryFill

            Text {
                id: live
                x: 8
                y: 8
                width: parent.width - 16
                text: view.model.liveTranscript
                color: Theme.text
                font.pixelSize: Theme.calloutSize
                wrapMode: Text.Wrap
                maximumLineCount: 6
                elide: Text.ElideRight
            }
        }

        Rectangle {
            visible: view.model.showsLastResultBox
            width: parent.width
            height: last.implicitHeight + 16
            radius: 8
            color: Theme.quaternaryFill

            Column {
                id: last
                x: 8
                y: 8
                width: parent.width - 16
                spacing: 4

                Text {
                    text: view.model.lastResultLabel
                    color: Theme.tertiaryText
                    font.pixelSize: Theme.captionSize
                }
                // Selectable for copying; three lines at most.
                TextEdit {
                    id: result
                    width: parent.width
                    height: Math.min(contentHeight, 3 * lineMetrics.lineSpacing)
                    clip: true
                    readOnly: true
                    selectByMouse: true
                    text: view.model.lastResult
                    color: Theme.text
                    font.pixelSize: Theme.calloutSize
                    wrapMode: TextEdit.Wrap

                    FontMetrics {
                        id: lineMetrics
                        font: result.font
                    }
                }
            }
        }

        Rectangle {
            width: parent.width
            height: 1
            color: Theme.divider
        }

        Repeater {
            model: view.model.rows
            MenuBarRow {
                required property string action
                width: column.width
                onActivated: view.model.trigger(action)
            }
        }

        Rectangle {
            width: parent.width
            height: 1
            color: Theme.divider
        }

        Row {
            visible: view.model.showsAccessibilityWarning
            width: parent.width
            spacing: 6

            Image {
                width: 14
                height: 14
                sourceSize: Qt.size(28, 28)
                source: SymbolIcons.tinted("exclamationmark.triangle", Theme.warning)
            }
            Text {
                width: parent.width - 20
                text: view.model.accessibilityWarning
                color: Theme.warning
                font.pixelSize: Theme.captionSize
                wrapMode: Text.Wrap
            }
        }

        MenuBarRow {
            width: parent.width
            title: view.model.quitRow.title
            symbol: view.model.quitRow.symbol
            onActivated: view.model.trigger(view.model.quitRow.action)
        }
    }
}
