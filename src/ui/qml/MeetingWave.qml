import QtQuick
import Dictrava

// The header's small level meter: bars on a travelling sine wave whose height follows the input
// level, so silence still shows a gentle movement.
Row {
    id: wave

    property real level: 0
    property int bars: 10
    readonly property real time: clock.time

    spacing: 2

    AnimationClock {
        id: clock
        running: wave.visible
        framesPerSecond: 24
    }

    Repeater {
        model: wave.bars
        delegate: Rectangle {
            required property int index
            anchors.verticalCenter: parent.verticalCenter
            width: 3
            height: (wave.level * 0.9 + 0.3) * ((Math.sin(8 * wave.time + 0.7 * index) * 0.5 + 0.5) * 16) + 4
            radius: 1.5
            color: Qt.alpha(Theme.accent, 0.75)
        }
    }
}
