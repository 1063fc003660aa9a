import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ApplicationWindow {
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
}
