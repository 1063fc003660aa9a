import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.MenuItem {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(10)
    horizontalPadding: Theme.s(16)
    font.pixelSize: Theme.normalText

    contentItem: Text {
        text: control.text
        font: control.font
        color: !control.enabled ? Theme.textBlocked : control.highlighted ? Theme.textHovered : Theme.textIdle
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitWidth: Theme.s(240)
        implicitHeight: Theme.s(40)
        color: control.highlighted ? Theme.controlBackgroundHovered : "transparent"
        Rectangle {
            width: Theme.s(3)
            height: parent.height
            color: Theme.borderHovered
            visible: control.highlighted
        }
    }
}
