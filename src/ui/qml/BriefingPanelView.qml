import QtQuick
import Dictrava

// The briefing card: title and subtitle by kind, the day, the items with their ticks (or the
// empty state), a count and "Got it". Escape closes it.
FocusScope {
    id: view

    required property BriefingPanelViewModel card
    required property FloatingPanel panel

    focus: true
    Keys.onEscapePressed: card.close()

    CardBackground {
        anchors.fill: parent
        radius: 24
        seeThrough: view.panel.seeThrough
        borderWidth: 1.2
        borderStops: [[0, Theme.withAlpha(Theme.mint, 0.50)], [0.5, Theme.withAlpha(Theme.cyan, 0.30)],
                      [1, Theme.withAlpha(Theme.blue, 0.35)]]
    }

    Item {
        id: content
        anchors.fill: parent
        anchors.margins: 30 // the card's 10 and the content's 20

        Column {
            id: header
            width: parent.width - close.width - 8
            spacing: 4

            Text {
                text: view.card.title
                color: Theme.text
                font.pixelSize: 20
                font.bold: true
            }
            Text {
                text: view.card.subtitle
                color: Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
            Text {
                text: view.card.displayDate
                color: Theme.tertiaryText
                font.pixelSize: Theme.caption2Size
            }
        }
        PlainButton {
            id: close
            anchors.right: parent.right
            symbol: "xmark.circle.fill"
            name: "Close"
            size: Theme.title3Size
            onClicked: view.card.close()
        }
        Rectangle {
            id: divider
            y: header.height + 14
            width: parent.width
            height: 1
            color: Theme.divider
        }

        Item {
            id: body
            y: divider.y + divider.height + 14
            width: parent.width
            height: footer.y - 14 - y

            Column {
                visible: view.card.items.length === 0
                anchors.centerIn: parent
                width: parent.width
                spacing: 6

                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    symbol: "sun.max"
                    tint: Theme.secondaryText
                    size: 32
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: view.card.emptyTitle
                    color: Theme.text
                    font.pixelSize: Theme.title3Size
                    font.bold: true
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    text: view.card.emptyDescription
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                    wrapMode: Text.Wrap
                }
            }
            Flickable {
                visible: view.card.items.length > 0
                anchors.fill: parent
                clip: true
                contentHeight: list.height
                boundsBehavior: Flickable.StopAtBounds

                Column {
                    id: list
                    width: parent.width
                    spacing: 10

                    Repeater {
                        model: view.card.items

                        BriefingRow {
                            required property var modelData
                            width: list.width
                            title: modelData.title
                            done: modelData.done
                            time: modelData.time
                            people: modelData.people
                            onTicked: view.card.tick(modelData.id)
                        }
                    }
                }
            }
        }

        Item {
            id: footer
            y: parent.height - height
            width: parent.width
            height: gotIt.implicitHeight

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: view.card.footer
                color: Theme.tertiaryText
                font.pixelSize: Theme.caption2Size
            }
            SmallButton {
                id: gotIt
                anchors.right: parent.right
                focus: true // Enter acknowledges the card
                text: "Got it"
                prominent: true
                tint: Theme.mintText
                onClicked: view.card.gotIt()
            }
        }
    }
}
