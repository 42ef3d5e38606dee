import QtQuick
import Dictrava

// A floating card: frosted (see-through) or solid, its rounded border stroked inside the shape
// with a gradient from the top-leading to the bottom-trailing corner.
Item {
    id: card

    property real radius: 16
    property bool seeThrough: true
    property real borderWidth: 1
    // [[position, colour], …]; one colour makes a plain border.
    property var borderStops: []

    Rectangle {
        anchors.fill: parent
        radius: card.radius
        color: card.seeThrough ? Theme.cardMaterial : Theme.cardOpaque
    }

    Canvas {
        id: border
        anchors.fill: parent
        onWidthChanged: requestPaint()
        onHeightChanged: requestPaint()
        onPaint: {
            const ctx = getContext("2d");
            ctx.reset();
            const inset = card.borderWidth / 2;
            const gradient = ctx.createLinearGradient(0, 0, width, height);
            for (const stop of card.borderStops)
                gradient.addColorStop(stop[0], stop[1]);
            ctx.beginPath();
            ctx.roundedRect(inset, inset, width - 2 * inset, height - 2 * inset, card.radius - inset,
                            card.radius - inset);
            ctx.strokeStyle = gradient;
            ctx.lineWidth = card.borderWidth;
            ctx.stroke();
        }
    }
    onBorderStopsChanged: border.requestPaint()
}
