import QtQuick
import Dictrava

// The Command Deck: the mode grid, a status line, the selected mode's panel and a footer. Texts
// come from the view model; arrows, Tab, Enter and Space work the tiles, Escape hides the deck.
FocusScope {
    id: view

    required property CommandDeckViewModel deck
    required property FloatingPanel panel

    focus: true
    Keys.onEscapePressed: deck.close()

    CardBackground {
        anchors.fill: parent
        radius: 22
        seeThrough: view.panel.seeThrough
        borderWidth: 1.2
        borderStops: [[0, Theme.withAlpha(Theme.cyan, 0.45)], [0.5, Theme.withAlpha(Theme.blue, 0.25)],
                      [1, Theme.withAlpha(Theme.mint, 0.40)]]
    }

    Column {
        id: stack
        x: 18
        y: 18
        width: parent.width - 36
        height: parent.height - 36
        spacing: 12

        // Title row
        Item {
            width: parent.width
            height: Math.max(titles.implicitHeight, close.implicitHeight)

            Column {
                id: titles
                spacing: 2

                Text {
                    text: view.deck.title
                    color: Theme.text
                    font.pixelSize: 17
                    font.bold: true
                }
                Text {
                    text: view.deck.hint
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                }
            }
            Rectangle {
                visible: view.deck.isDictating
                anchors.right: close.left
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                width: pill.implicitWidth + 20
                height: pill.implicitHeight + 10
                radius: height / 2
                color: Theme.withAlpha(Theme.recording, 0.15)

                Row {
                    id: pill
                    anchors.centerIn: parent
                    spacing: 6

                    Rectangle {
                        anchors.verticalCenter: parent.verticalCenter
                        width: 8
                        height: 8
                        radius: 4
                        color: Theme.recording
                    }
                    Text {
                        text: "Listening"
                        color: Theme.text
                        font.pixelSize: Theme.captionSize
                        font.bold: true
                    }
                }
            }
            PlainButton {
                id: close
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                symbol: "xmark.circle.fill"
                name: "Close"
                onClicked: view.deck.close()
            }
        }

        // Mode grid: three columns; arrows move between the tiles.
        Grid {
            id: grid
            width: parent.width
            columns: 3
            columnSpacing: 10
            rowSpacing: 8

            Repeater {
                id: tiles
                model: view.deck.tiles

                DeckTile {
                    required property var modelData
                    required property int index
                    width: (grid.width - 2 * grid.columnSpacing) / 3
                    mode: modelData.mode
                    title: modelData.title
                    symbol: modelData.symbol
                    subtitle: modelData.subtitle
                    selected: view.deck.mode === mode
                    focus: selected
                    onActivated: view.deck.select(mode)
                    Keys.onLeftPressed: grid.focusTile(index - 1)
                    Keys.onRightPressed: grid.focusTile(index + 1)
                    Keys.onUpPressed: grid.focusTile(index - grid.columns)
                    Keys.onDownPressed: grid.focusTile(index + grid.columns)
                }
            }

            function focusTile(index) {
                if (index >= 0 && index < tiles.count)
                    tiles.itemAt(index).forceActiveFocus();
            }
        }

        // Status line
        Rectangle {
            visible: view.deck.statusKind === CommandDeckViewModel.Transcript
            width: parent.width
            height: transcript.implicitHeight + 20
            radius: 12
            color: Theme.primary(0.06)

            Text {
                id: transcript
                x: 10
                y: 10
                width: parent.width - 20
                text: view.deck.statusText
                color: Theme.text
                font.pixelSize: Theme.calloutSize
                wrapMode: Text.Wrap
                maximumLineCount: 3
                elide: Text.ElideRight
            }
        }
        Row {
            visible: view.deck.statusKind !== CommandDeckViewModel.Transcript
            width: parent.width
            spacing: 6

            readonly property bool banner: view.deck.statusKind === CommandDeckViewModel.Banner
            readonly property color tint: banner ? Theme.cyanText : Theme.secondaryText

            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                symbol: parent.banner ? "sparkles" : "waveform"
                tint: parent.tint
                size: 12
            }
            Text {
                width: parent.width - 18
                text: view.deck.statusText
                color: parent.tint
                font.pixelSize: Theme.captionSize
                elide: Text.ElideRight
            }
        }

        // The selected mode's panel
        Column {
            visible: view.deck.panelKind !== CommandDeckViewModel.None
            width: parent.width
            spacing: 6

            Text {
                text: view.deck.panelTitle
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
                font.bold: true
            }
            Text {
                visible: view.deck.panelKind === CommandDeckViewModel.Focus
                width: parent.width
                text: view.deck.northStar
                color: Theme.text
                font.pixelSize: Theme.captionSize
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
            }
            Repeater {
                model: view.deck.panelKind === CommandDeckViewModel.Focus ? view.deck.milestones : []

                Row {
                    required property var modelData
                    spacing: 6

                    SymbolImage {
                        anchors.verticalCenter: parent.verticalCenter
                        symbol: modelData.done ? "checkmark.circle.fill" : "circle"
                        tint: modelData.done ? Theme.mintText : Theme.orangeText
                        size: 11
                    }
                    Text {
                        width: stack.width - 17
                        text: modelData.title
                        color: Theme.text
                        font.pixelSize: Theme.caption2Size
                        elide: Text.ElideRight
                    }
                }
            }
            Repeater {
                model: view.deck.lines

                Text {
                    required property string modelData
                    width: stack.width
                    text: modelData
                    color: Theme.text
                    font.pixelSize: Theme.captionSize
                    elide: Text.ElideRight
                }
            }
            Text {
                visible: view.deck.panelKind === CommandDeckViewModel.Briefing && view.deck.lines.length === 0
                text: "No briefing yet — speak one in this mode"
                color: Theme.tertiaryText
                font.pixelSize: Theme.captionSize
            }
            Row {
                visible: view.deck.panelKind === CommandDeckViewModel.Focus
                spacing: 8

                SmallButton {
                    text: "Show HUD"
                    onClicked: view.deck.showHud()
                }
                SmallButton {
                    text: "Clear focus"
                    onClicked: view.deck.clearFocus()
                }
            }
            SmallButton {
                visible: view.deck.panelKind === CommandDeckViewModel.Briefing
                text: "Show briefing card"
                enabled: view.deck.canShowBriefingCard
                onClicked: view.deck.showBriefingCard()
            }
        }
    }

    // Footer
    Item {
        x: 18
        y: parent.height - 18 - height
        width: parent.width - 36
        height: modeText.implicitHeight

        Text {
            id: modeText
            text: view.deck.footerMode
            color: Theme.tertiaryText
            font.pixelSize: Theme.caption2Size
        }
        Row {
            anchors.right: parent.right
            spacing: 8

            Text {
                visible: text.length > 0
                text: view.deck.footerFocus
                color: Theme.orangeText
                font.pixelSize: Theme.caption2Size
            }
            Text {
                text: view.deck.footerOpen
                color: Theme.tertiaryText
                font.pixelSize: Theme.caption2Size
            }
        }
    }
}
