import QtQuick
import Dictrava

// The small level meter: 12 capsule bars, centred vertically, rippling at up to 24 frames a second.
Item {
    id: wave

    required property MenuBarModel model

    implicitWidth: 90
    implicitHeight: 18

    AnimationClock {
        id: clock
        framesPerSecond: 24
        running: wave.model.waveRunning
    }

    Row {
        anchors.centerIn: parent
        spacing: 2

        Repeater {
            model: 12
            Rectangle {
                required property int index
                anchors.verticalCenter: parent.verticalCenter
                width: 3
                height: wave.model.waveBarHeight(index, clock.time, wave.model.audioLevel)
                radius: 1.5
                color: Theme.accent
            }
        }
    }
}
