import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ItemDelegate {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(10)
    font.pixelSize: Theme.normalText

    contentItem: Text {
        text: control.text
        font: control.font
        color: !control.enabled ? Theme.textBlocked : control.hovered ? Theme.textHovered : Theme.textIdle
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitHeight: Theme.s(40)
        color: control.down || control.highlighted || control.hovered ? Theme.controlBackgroundHovered : "transparent"
    }
}
