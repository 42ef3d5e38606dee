import QtQuick
import QtQuick.Layouts
import QtQuick.Controls.Fusion
import Dictrava

// One task: its tick, the title (struck through once done) and the detail line.
Item {
    id: row

    required property int index
    required property string title
    required property bool isDone
    required property string dueLabel
    required property string nudgeLabel
    required property string peopleLabel

    signal selected
    signal toggled
    signal menuRequested

    implicitHeight: content.implicitHeight + 12

    TapHandler {
        acceptedButtons: Qt.LeftButton | Qt.RightButton
        onTapped: (point, button) => {
            row.selected()
            if (button === Qt.RightButton)
                row.menuRequested()
        }
    }

    RowLayout {
        id: content

        anchors.verticalCenter: parent.verticalCenter
        x: 4
        width: parent.width - 8
        spacing: 8

        IconButton {
            symbol: row.isDone ? "checkmark.circle.fill" : "circle"
            tint: row.isDone ? Theme.mint : Theme.secondaryText
            name: row.isDone ? "Mark as open" : "Mark as done"
            symbolSize: 20
            onClicked: row.toggled()
        }

        Column {
            Layout.fillWidth: true
            spacing: 3

            Text {
                width: parent.width
                text: row.title
                color: row.isDone ? Theme.secondaryText : Theme.text
                font.pixelSize: Theme.bodySize
                font.strikeout: row.isDone
                elide: Text.ElideRight
            }
            Row {
                spacing: 8
                visible: row.dueLabel !== "" || row.nudgeLabel !== "" || row.peopleLabel !== ""

                SymbolLabel {
                    visible: row.dueLabel !== ""
                    symbol: "calendar"
                    text: row.dueLabel
                }
                SymbolLabel {
                    visible: row.nudgeLabel !== ""
                    symbol: "bell"
                    text: row.nudgeLabel
                }
                SymbolLabel {
                    visible: row.peopleLabel !== ""
                    symbol: "person.2"
                    text: row.peopleLabel
                }
            }
        }
    }
}
