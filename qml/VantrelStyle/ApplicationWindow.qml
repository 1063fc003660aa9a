import QtQuick
import QtQuick.Templates as T
import VantrelTheme

// Draws its own title bar with minimise, maximise and close buttons in place of the window
// manager's frame; the window manager still moves, resizes, maximises and closes it.
T.ApplicationWindow {
    id: control

    flags: Qt.Window | Qt.FramelessWindowHint
    menuBar: WindowTitleBar { window: control }
    color: Theme.background
    font.family: Theme.fontFamily
    font.pixelSize: Theme.normalText
    palette.window: Theme.background
    palette.windowText: Theme.textIdle
    palette.base: Theme.controlBackground
    palette.text: Theme.textIdle
    palette.button: Theme.controlBackground
    palette.buttonText: Theme.textIdle
    palette.highlight: Theme.borderHovered
    palette.highlightedText: Theme.textHovered
    palette.mid: Theme.controlBackgroundHovered
    palette.dark: Theme.borderIdle
    palette.light: Theme.controlBackgroundHovered
    palette.toolTipBase: Theme.controlBackgroundHovered
    palette.toolTipText: Theme.textIdle

    // Above the bars and the page, below the pop-ups.
    WindowEdges {
        window: control
        parent: control.contentItem.parent
        anchors.fill: parent
        z: 100
    }
}
