import QtQuick
import Dictrava

// The focus HUD: the North Star, progress, the milestone being worked on, the coach's drift
// message and the two actions of focus mode. Its window never takes the keyboard.
Item {
    id: view

    required property FocusHUDViewModel hud
    required property FloatingPanel panel

    CardBackground {
        anchors.fill: parent
        radius: 16
        seeThrough: view.panel.seeThrough
        borderStops: [[0, Theme.withAlpha(Theme.orange, 0.45)]]
    }

    Text {
        visible: !view.hud.hasSession
        anchors.centerIn: parent
        text: view.hud.emptyText
        color: Theme.secondaryText
        font.pixelSize: Theme.captionSize
    }

    Column {
        visible: view.hud.hasSession
        x: 12
        y: 10
        width: parent.width - 24
        spacing: 6

        Item {
            width: parent.width
            height: close.implicitHeight

            Row {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 5

                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    symbol: "target"
                    tint: Theme.orangeText
                    size: 12
                }
                Text {
                    text: "Focus Coach"
                    color: Theme.orangeText
                    font.pixelSize: Theme.captionSize
                    font.bold: true
                }
            }
            PlainButton {
                id: close
                anchors.right: parent.right
                symbol: "xmark.circle.fill"
                name: "Close"
                size: 14
                activeFocusOnTab: false
                onClicked: view.hud.close()
            }
        }
        Text {
            width: parent.width
            text: view.hud.northStar
            color: Theme.text
            font.pixelSize: 13
            font.weight: Font.DemiBold
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
        Rectangle {
            width: parent.width
            height: 4
            radius: 2
            color: Theme.withAlpha(Theme.orange, 0.2)

            Rectangle {
                width: parent.width * Math.max(0, Math.min(1, view.hud.progress))
                height: parent.height
                radius: 2
                color: Theme.orange
            }
        }
        Text {
            width: parent.width
            text: view.hud.nowLine
            color: view.hud.allDone ? Theme.mintText : Theme.secondaryText
            font.pixelSize: Theme.captionSize
            elide: Text.ElideRight
        }
        Text {
            visible: text.length > 0
            width: parent.width
            text: view.hud.driftMessage
            color: Theme.orangeText
            font.pixelSize: Theme.caption2Size
            wrapMode: Text.Wrap
            maximumLineCount: 2
            elide: Text.ElideRight
        }
    }

    // The actions sit on the card's bottom edge, whatever the texts above take.
    Item {
        visible: view.hud.hasSession
        x: 12
        y: parent.height - 10 - height
        width: parent.width - 24
        height: done.implicitHeight

        Row {
            spacing: 8

            SmallButton {
                id: done
                text: "Done"
                prominent: true
                tint: Theme.orangeText
                enabled: view.hud.canTickOff
                activeFocusOnTab: false
                onClicked: view.hud.done()
            }
            SmallButton {
                objectName: "switchOk"
                text: "Switch OK"
                activeFocusOnTab: false
                onClicked: view.hud.switchOk()
            }
        }
        Text {
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: view.hud.count
            color: Theme.tertiaryText
            font.pixelSize: Theme.caption2Size
        }
    }
}
