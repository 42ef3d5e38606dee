pragma Singleton
import QtQuick

// Colours, sizes and fonts of every view, in one place.
QtObject {
    readonly property color accent: "#3d7eff"
    readonly property color text: "#1d1d1f"
    readonly property color secondaryText: "#6e6e73"
    readonly property color tertiaryText: "#8e8e93"
    readonly property color quaternaryFill: Qt.rgba(0, 0, 0, 0.06)
    readonly property color panelBackground: "#f5f5f7"
    readonly property color warning: "#e67e00"
    readonly property color recording: "#ff3b30"
    readonly property color idle: Qt.rgba(0.2, 0.78, 0.35, 0.6)
    readonly property color hoverFill: Qt.rgba(0.24, 0.49, 1.0, 0.14)
    readonly property color divider: Qt.rgba(0, 0, 0, 0.1)
    readonly property color windowBackground: "#ffffff"
    readonly property color groupBackground: "#f5f5f7"
    readonly property color destructive: "#ff3b30"
    readonly property color granted: "#34c759"

    // The dock station: a frosted capsule (no blur behind it here, so it is nearly opaque), its
    // border gradient and its glow.
    readonly property color cyan: "#32ade6"
    readonly property color blue: "#007aff"
    readonly property color mint: "#00c7be"
    readonly property color dockMaterial: Qt.rgba(0.97, 0.98, 1.0, 0.86)
    readonly property color dockMaterialOpaque: "#f7f9fc"

    readonly property int title3Size: 17
    readonly property int headlineSize: 13
    readonly property int bodySize: 13
    readonly property int calloutSize: 12
    readonly property int captionSize: 11
    readonly property int caption2Size: 10
}
