pragma Singleton
import QtQuick

// Colours, sizes and fonts of every view, in one place. Light or dark follows the desktop's
// palette; accents used as text are darker on a light card, so that they stay readable.
QtObject {
    readonly property SystemPalette system: SystemPalette {
        colorGroup: SystemPalette.Active
    }
    readonly property bool dark: system.window.hslLightness < 0.5

    readonly property color text: dark ? "#f2f2f7" : "#1d1d1f"
    readonly property color secondaryText: dark ? Qt.rgba(0.92, 0.92, 0.96, 0.66) : "#6e6e73"
    readonly property color tertiaryText: dark ? Qt.rgba(0.92, 0.92, 0.96, 0.46) : "#8e8e93"
    readonly property color quaternaryFill: dark ? Qt.rgba(1, 1, 1, 0.08) : Qt.rgba(0, 0, 0, 0.06)
    readonly property color panelBackground: dark ? "#2a2a2e" : "#f5f5f7"
    readonly property color divider: dark ? Qt.rgba(1, 1, 1, 0.14) : Qt.rgba(0, 0, 0, 0.1)
    readonly property color hoverFill: Qt.rgba(0.24, 0.49, 1.0, dark ? 0.24 : 0.14)
    readonly property color accent: dark ? "#5e9bff" : "#3d7eff"
    readonly property color warning: dark ? "#ffa033" : "#c76a00"
    readonly property color recording: dark ? "#ff453a" : "#ff3b30"
    readonly property color idle: Qt.rgba(0.2, 0.78, 0.35, 0.6)
    readonly property color windowBackground: system.window
    readonly property color groupBackground: dark ? "#2a2a2e" : "#f5f5f7"
    readonly property color destructive: recording
    readonly property color granted: dark ? "#30d158" : "#248a3d"

    // The mode accents, and the same hues where they colour text.
    readonly property color cyan: dark ? "#64d2ff" : "#32ade6"
    readonly property color blue: dark ? "#0a84ff" : "#007aff"
    readonly property color mint: dark ? "#63e6e2" : "#00c7be"
    readonly property color orange: dark ? "#ff9f0a" : "#ff9500"
    readonly property color yellow: dark ? "#ffd60a" : "#ffcc00"
    readonly property color purple: dark ? "#bf5af2" : "#af52de"
    readonly property color cyanText: dark ? cyan : "#0b7fab"
    readonly property color mintText: dark ? mint : "#00827c"
    readonly property color orangeText: dark ? orange : "#c25e00"

    // Primary-colour washes (tiles, rows, the live transcript).
    function primary(opacity) {
        return Qt.rgba(text.r, text.g, text.b, opacity)
    }
    function withAlpha(color, opacity) {
        return Qt.rgba(color.r, color.g, color.b, opacity)
    }
    function modeAccent(mode) {
        switch (mode) {
        case "dictate": return cyan
        case "capture": return mint
        case "focus": return orange
        case "briefing": return yellow
        case "meeting": return purple
        default: return blue
        }
    }

    // The floating cards: frosted where a compositor blends them with what lies beneath, solid
    // where none does. The dock station is nearly opaque (nothing blurs behind it here).
    readonly property color cardMaterial: dark ? Qt.rgba(0.16, 0.16, 0.18, 0.86) : Qt.rgba(0.97, 0.97, 0.98, 0.86)
    readonly property color cardOpaque: dark ? "#28282c" : "#f7f7f9"
    readonly property color dockMaterial: dark ? Qt.rgba(0.16, 0.17, 0.19, 0.86) : Qt.rgba(0.97, 0.98, 1.0, 0.86)
    readonly property color dockMaterialOpaque: dark ? "#292b30" : "#f7f9fc"

    readonly property int title3Size: 16
    readonly property int headlineSize: 13
    readonly property int bodySize: 13
    readonly property int subheadlineSize: 12
    readonly property int calloutSize: 12
    readonly property int captionSize: 11
    readonly property int caption2Size: 10
}
