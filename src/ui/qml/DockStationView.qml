import QtQuick
import Dictrava

// The dock station: the name on the left, the waveform in the middle, a pulsing dot and
// "Listening" on the right, on a glowing capsule. All maths comes from DockWaveform.
Item {
    id: root

    required property DockStationWindow station
    readonly property real time: station.clock.time
    readonly property real level: station.level

    width: 360
    height: 72

    Item {
        id: capsule
        anchors.centerIn: parent
        width: root.width - 8
        height: 56
    }

    // A soft glow: rings that fade outwards, shifted 2 points down.
    Repeater {
        model: 6
        Rectangle {
            required property int index
            readonly property real spread: (index + 1) * 2
            readonly property real falloff: Math.pow(1 - (index + 1) / 7, 2)
            x: capsule.x - spread
            y: capsule.y - spread + 2
            width: capsule.width + 2 * spread
            height: capsule.height + 2 * spread
            radius: height / 2
            color: "transparent"
            border.width: 2
            border.color: Qt.rgba(Theme.cyan.r, Theme.cyan.g, Theme.cyan.b,
                                  DockWaveform.glowOpacity(root.level) * falloff * 0.6)
        }
    }

    Rectangle {
        anchors.fill: capsule
        radius: height / 2
        color: root.station.seeThrough ? Theme.dockMaterial : Theme.dockMaterialOpaque
    }

    // The 1-point border, a left-to-right gradient cyan → blue → mint, drawn inside the shape.
    Canvas {
        anchors.fill: capsule
        onWidthChanged: requestPaint()
        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            const r = height / 2;
            ctx.beginPath();
            ctx.roundedRect(0.5, 0.5, width - 1, height - 1, r - 0.5, r - 0.5);
            const gradient = ctx.createLinearGradient(0, 0, width, 0);
            gradient.addColorStop(0, Qt.rgba(Theme.cyan.r, Theme.cyan.g, Theme.cyan.b, 0.55));
            gradient.addColorStop(0.5, Qt.rgba(Theme.blue.r, Theme.blue.g, Theme.blue.b, 0.35));
            gradient.addColorStop(1, Qt.rgba(Theme.mint.r, Theme.mint.g, Theme.mint.b, 0.45));
            ctx.strokeStyle = gradient;
            ctx.lineWidth = 1;
            ctx.stroke();
        }
    }

    Text {
        id: name
        anchors.left: capsule.left
        anchors.leftMargin: 14
        anchors.verticalCenter: capsule.verticalCenter
        text: "Dictrava"
        color: Theme.text
        font.pixelSize: 11
        font.weight: Font.DemiBold
    }

    Row {
        id: listening
        anchors.right: capsule.right
        anchors.rightMargin: 14
        anchors.verticalCenter: capsule.verticalCenter
        spacing: 5

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 7
            height: 7
            radius: 3.5
            color: Theme.recording
            opacity: DockWaveform.dotOpacity(root.time)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: "Listening"
            color: Theme.secondaryText
            font.pixelSize: 10
            font.weight: Font.Medium
        }
    }

    // Centred in the room between the name and the "Listening" group.
    Row {
        readonly property real gapStart: name.x + name.width + 4
        readonly property real gapEnd: listening.x - 4
        x: Math.round(gapStart + (gapEnd - gapStart - width) / 2)
        anchors.verticalCenter: capsule.verticalCenter
        height: 36
        spacing: 3

        Repeater {
            model: DockWaveform.barCount
            Rectangle {
                required property int index
                width: 3.5
                height: DockWaveform.barHeight(index, DockWaveform.barCount, root.time, root.level)
                y: (36 - height) / 2
                radius: width / 2
                antialiasing: true
                color: DockWaveform.barColor(index, root.time, root.level)
            }
        }
    }
}
