import QtQuick
import Dictrava

// One item of the briefing card: its tick, title (struck through when done), due time and people.
Rectangle {
    id: row

    required property string title
    required property bool done
    required property string time
    required property string people
    signal ticked

    implicitHeight: Math.max(tick.implicitHeight, texts.implicitHeight) + 20
    radius: 12
    color: Theme.primary(0.05)

    PlainButton {
        id: tick
        x: 10
        y: 10
        symbol: row.done ? "checkmark.circle.fill" : "circle"
        name: (row.done ? "Mark not done: " : "Mark done: ") + row.title
        tint: row.done ? Theme.mintText : Theme.secondaryText
        onClicked: row.ticked()
    }
    Column {
        id: texts
        x: tick.x + tick.width + 10
        y: 10
        width: row.width - x - 10
        spacing: 3

        Text {
            width: parent.width
            text: row.title
            color: Theme.text
            font.pixelSize: Theme.calloutSize
            font.weight: Font.Medium
            font.strikeout: row.done
            wrapMode: Text.Wrap
        }
        Row {
            visible: row.time.length > 0 || row.people.length > 0
            spacing: 8

            Row {
                visible: row.time.length > 0
                spacing: 3
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "clock"
                    tint: Theme.secondaryText
                    size: 10
                }
                Text {
                    text: row.time
                    color: Theme.secondaryText
                    font.pixelSize: Theme.caption2Size
                }
            }
            Row {
                visible: row.people.length > 0
                spacing: 3
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "person.2"
                    tint: Theme.secondaryText
                    size: 10
                }
                Text {
                    text: row.people
                    color: Theme.secondaryText
                    font.pixelSize: Theme.caption2Size
                }
            }
        }
    }
}
