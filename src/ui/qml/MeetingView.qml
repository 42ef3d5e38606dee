import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Dictrava

// The Meeting window: controls and voices on top, the voice check-in bar, the live transcript
// and the notes footer. Every text comes from the model; closing the window leaves the meeting
// running.
Rectangle {
    id: view

    required property MeetingViewModel model
    readonly property var voiceColors: ["#007aff", "#34c759", "#ff9500", "#af52de", "#ff2d55"]

    function voiceColor(index) {
        return voiceColors[index % 5]
    }

    implicitWidth: 720
    implicitHeight: 560
    color: Theme.panelBackground

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        // Header
        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 14
            spacing: 12

            ColumnLayout {
                spacing: 2
                Text {
                    text: "Meeting Mode"
                    color: Theme.text
                    font.pixelSize: 20
                    font.bold: true
                }
                Text {
                    text: "Up to 5 voices · check in by name · pauses won’t drop the transcript"
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                }
            }
            Item {
                Layout.fillWidth: true
            }
            MeetingWave {
                objectName: "levelMeter"
                visible: view.model.isRunning
                level: view.model.audioLevel
                Layout.preferredWidth: 72
                Layout.preferredHeight: 22
            }
            ColumnLayout {
                visible: view.model.isRunning
                spacing: 1
                Text {
                    Layout.alignment: Qt.AlignRight
                    text: view.model.elapsedText
                    color: Theme.secondaryText
                    font.pixelSize: Theme.captionSize
                    font.bold: true
                }
                Text {
                    Layout.alignment: Qt.AlignRight
                    text: view.model.wordCountText
                    color: Theme.tertiaryText
                    font.pixelSize: Theme.caption2Size
                }
            }
            Row {
                visible: view.model.speakerNames.length > 0
                spacing: 6
                Repeater {
                    model: view.model.speakerNames
                    delegate: Rectangle {
                        required property string modelData
                        required property int index
                        width: chipText.implicitWidth + 16
                        height: chipText.implicitHeight + 6
                        radius: height / 2
                        color: Qt.alpha(view.voiceColor(index), 0.18)
                        Text {
                            id: chipText
                            anchors.centerIn: parent
                            text: parent.modelData
                            color: view.voiceColor(parent.index)
                            font.pixelSize: Theme.captionSize
                            font.bold: true
                        }
                    }
                }
            }
            SymbolButton {
                visible: view.model.isRunning
                text: view.model.pauseButtonText
                symbol: view.model.pauseButtonSymbol
                onClicked: view.model.togglePause()
            }
            SymbolButton {
                objectName: "primaryButton"
                text: view.model.primaryButtonText
                symbol: view.model.primaryButtonSymbol
                prominent: true
                tint: view.model.isRunning ? Theme.recording : Theme.accent
                onClicked: view.model.toggleRunning()
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.divider
        }

        // Check-in bar
        ColumnLayout {
            Layout.fillWidth: true
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            Layout.topMargin: 10
            Layout.bottomMargin: 10
            spacing: 8

            RowLayout {
                Layout.fillWidth: true
                spacing: 8
                Image {
                    Layout.preferredWidth: 16
                    Layout.preferredHeight: 16
                    sourceSize: Qt.size(32, 32)
                    source: SymbolIcons.tinted("person.crop.circle.badge.plus", Theme.secondaryText)
                }
                TextField {
                    id: enrollField
                    objectName: "enrollName"
                    Layout.preferredWidth: 220
                    placeholderText: "Voice check-in name (e.g. Maya)"
                    text: view.model.enrollName
                    onTextEdited: view.model.enrollName = text
                    onAccepted: view.model.mapVoice()
                }
                Button {
                    objectName: "mapVoice"
                    text: "Map voice"
                    enabled: view.model.canMapVoice
                    onClicked: view.model.mapVoice()
                }
                Button {
                    visible: view.model.showsCancel
                    text: "Cancel"
                    onClicked: view.model.cancelCheckIn()
                }
                Item {
                    Layout.fillWidth: true
                }
                Button {
                    visible: view.model.speakerNames.length > 0
                    text: "Clear roster"
                    palette.buttonText: Theme.secondaryText
                    onClicked: view.model.clearRoster()
                }
            }
            RowLayout {
                Layout.fillWidth: true
                spacing: 4
                Image {
                    visible: !view.model.hintIsTip
                    Layout.preferredWidth: 12
                    Layout.preferredHeight: 12
                    sourceSize: Qt.size(24, 24)
                    source: SymbolIcons.tinted("waveform", Theme.cyan)
                }
                Text {
                    objectName: "hint"
                    Layout.fillWidth: true
                    text: view.model.hintText
                    color: view.model.hintIsTip ? Theme.secondaryText : Theme.cyan
                    font.pixelSize: Theme.captionSize
                    elide: Text.ElideRight
                }
            }
            Row {
                visible: view.model.speakerNames.length > 0
                spacing: 8
                Repeater {
                    model: view.model.speakerNames
                    delegate: Row {
                        required property int index
                        spacing: 4
                        TextField {
                            width: 110
                            placeholderText: "Rename"
                            text: view.model.renameText(parent.index)
                            onTextEdited: view.model.setRenameDraft(parent.index, text)
                        }
                        Button {
                            text: "Save"
                            onClicked: view.model.saveRename(parent.index)
                        }
                    }
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.divider
        }

        // Transcript
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true

            ListView {
                id: transcript
                objectName: "transcript"
                anchors.fill: parent
                topMargin: 12
                bottomMargin: 12
                spacing: 10
                clip: true
                model: view.model.transcript
                ScrollBar.vertical: ScrollBar {}
                // The newest segment stays in view.
                onCountChanged: Qt.callLater(transcript.positionViewAtEnd)

                delegate: RowLayout {
                    required property string speakerLabel
                    required property string initial
                    required property int colorIndex
                    required property string time
                    required property string text
                    x: 14
                    width: transcript.width - 28
                    spacing: 10

                    Rectangle {
                        Layout.alignment: Qt.AlignTop
                        Layout.preferredWidth: 26
                        Layout.preferredHeight: 26
                        radius: 13
                        color: Qt.alpha(view.voiceColor(parent.colorIndex), 0.2)
                        Text {
                            anchors.centerIn: parent
                            text: parent.parent.initial
                            color: view.voiceColor(parent.parent.colorIndex)
                            font.pixelSize: Theme.captionSize
                            font.bold: true
                        }
                    }
                    ColumnLayout {
                        Layout.fillWidth: true
                        spacing: 2
                        Row {
                            spacing: 6
                            Text {
                                text: speakerLabel
                                color: view.voiceColor(colorIndex)
                                font.pixelSize: Theme.captionSize
                                font.bold: true
                            }
                            Text {
                                text: time
                                color: Theme.tertiaryText
                                font.pixelSize: Theme.caption2Size
                            }
                        }
                        TextEdit {
                            Layout.fillWidth: true
                            text: parent.parent.text
                            readOnly: true
                            selectByMouse: true
                            wrapMode: TextEdit.Wrap
                            color: Theme.text
                            font.pixelSize: Theme.bodySize
                        }
                    }
                }

                footer: RowLayout {
                    visible: view.model.liveText.length > 0
                    height: visible ? implicitHeight + 10 : 0
                    x: 22
                    width: transcript.width - 44
                    spacing: 6
                    Image {
                        Layout.alignment: Qt.AlignTop
                        Layout.preferredWidth: 14
                        Layout.preferredHeight: 14
                        sourceSize: Qt.size(28, 28)
                        source: SymbolIcons.tinted("waveform", Theme.secondaryText)
                    }
                    Text {
                        Layout.fillWidth: true
                        text: view.model.liveText
                        color: Theme.secondaryText
                        font.italic: true
                        font.pixelSize: Theme.bodySize
                        wrapMode: Text.Wrap
                    }
                }
            }

            Column {
                objectName: "emptyState"
                visible: view.model.showsEmptyState
                anchors.horizontalCenter: parent.horizontalCenter
                y: 60
                spacing: 8
                Image {
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: 36
                    height: 36
                    sourceSize: Qt.size(72, 72)
                    source: SymbolIcons.tinted("person.wave.2", Theme.secondaryText)
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: "No transcript yet"
                    color: Theme.text
                    font.pixelSize: 17
                    font.bold: true
                }
                Text {
                    anchors.horizontalCenter: parent.horizontalCenter
                    text: "Start the meeting or map voices first, then let people talk naturally."
                    color: Theme.secondaryText
                    font.pixelSize: Theme.bodySize
                }
            }
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.preferredHeight: 1
            color: Theme.divider
        }

        // Footer
        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 10
            spacing: 6
            Image {
                visible: view.model.footerText.length > 0
                Layout.preferredWidth: 12
                Layout.preferredHeight: 12
                sourceSize: Qt.size(24, 24)
                source: SymbolIcons.tinted(view.model.footerIsError ? "exclamationmark.triangle" : "checklist",
                                           view.model.footerIsError ? Theme.warning : Theme.secondaryText)
            }
            Text {
                objectName: "footer"
                text: view.model.footerText
                color: view.model.footerIsError ? Theme.warning : Theme.secondaryText
                font.pixelSize: Theme.captionSize
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                text: "Save notes…"
                enabled: view.model.canCopyNotes
                onClicked: view.model.saveNotesAs()
            }
            SymbolButton {
                objectName: "copyNotes"
                text: "Copy notes + actions"
                symbol: "doc.on.doc"
                enabled: view.model.canCopyNotes
                onClicked: view.model.copyNotes()
            }
        }
    }
}
