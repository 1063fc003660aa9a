pragma Singleton
import QtQuick

// Sizes and colours of every screen. Layouts are drawn for a 1960 x 1080 screen and scaled to the
// one the program runs on.
QtObject {
    id: theme

    readonly property real baseWidth: 1960
    readonly property real baseHeight: 1080
    readonly property var primaryScreen: Qt.application.screens.length > 0 ? Qt.application.screens[0] : null
    readonly property real screenWidth: primaryScreen ? primaryScreen.width : baseWidth
    readonly property real screenHeight: primaryScreen ? primaryScreen.height : baseHeight

    readonly property real widthScale: screenWidth / baseWidth
    readonly property real heightScale: screenHeight / baseHeight
    readonly property real fontScale: Math.min(widthScale, heightScale)

    // Text sizes, px.
    readonly property int hugeText: Math.round(40 * fontScale)
    readonly property int biggestText: Math.round(30 * fontScale)
    readonly property int bigText: Math.round(25 * fontScale)
    readonly property int normalText: Math.round(20 * fontScale)
    readonly property int smallText: Math.round(15 * fontScale)
    readonly property int smallestText: Math.round(12 * fontScale)
    readonly property int tinyText: Math.round(9 * fontScale)

    // Palette.
    readonly property color background: "#1E1E1E"
    readonly property color textIdle: "#CCCCCC"
    readonly property color textHovered: "#FFFFFF"
    readonly property color textBlocked: "#666666"
    readonly property color textLink: "#F16321"
    readonly property color controlBackground: "#1E1E1E"
    readonly property color controlBackgroundHovered: "#2C2C2C"
    readonly property color borderIdle: "#722D0E"
    readonly property color borderHovered: "#F16321"
    readonly property color borderPressed: "#ba501f"
    readonly property color borderDisabled: "#5d250b"

    // Module status lamps.
    readonly property color lampIdle: controlBackgroundHovered
    readonly property color lampActive: Qt.darker("#55AD00", 1.2)
    readonly property color lampFault: Qt.darker("red", 1.5)

    /// Horizontal and vertical lengths given for the base screen, px.
    function sx(length) { return Math.round(length * widthScale) }
    function sy(length) { return Math.round(length * heightScale) }
    /// Lengths that must stay square (lamps, markers, icons), px.
    function s(length) { return Math.round(length * fontScale) }

    // Pop-up animations, ms.
    readonly property int popupFadeInMs: 150
    readonly property int popupScaleInMs: 200
    readonly property int popupFadeOutMs: 100

    readonly property FontLoader embeddedFont: FontLoader { source: "qrc:/fonts/DejaVuSans.ttf" }
    readonly property string fontFamily: embeddedFont.status === FontLoader.Ready ? embeddedFont.name : "DejaVu Sans"
}
