import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VantrelTheme

// Shown while a detector channel is latched: its wire sits in the normal state and counts
// nothing. "Reset" takes the bias to 0 and back to the set point.
RowLayout {
    id: mark

    signal reset()

    spacing: Theme.s(8)

    Label {
        objectName: "latchedMark"
        text: "LATCHED"
        font.pixelSize: Theme.normalText
        font.bold: true
        color: Theme.textHovered
        leftPadding: Theme.s(8)
        rightPadding: Theme.s(8)
        topPadding: Theme.s(3)
        bottomPadding: Theme.s(3)
        background: Rectangle {
            color: Theme.lampFault
            radius: Theme.s(4)
        }
        ToolTip.visible: latchedHover.hovered
        ToolTip.text: "The detector has switched to the normal state and counts nothing: its voltage is above the auto-reset threshold or shows the resistance of a hot spot."
        HoverHandler { id: latchedHover }
    }
    Button {
        objectName: "latchResetButton"
        text: "Reset"
        ToolTip.visible: hovered
        ToolTip.text: "Bias to 0, then back to the set point"
        onClicked: mark.reset()
    }
}
