import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.TabButton {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(10)
    horizontalPadding: Theme.s(18)
    font.pixelSize: Theme.normalText

    contentItem: Text {
        text: control.text
        font: control.font
        color: !control.enabled ? Theme.textBlocked
             : control.checked ? Theme.textLink
             : control.hovered ? Theme.textHovered : Theme.textIdle
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitHeight: Theme.s(48)
        color: control.checked || control.hovered ? Theme.controlBackgroundHovered : Theme.background
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: Theme.s(4)
            color: control.enabled ? Theme.borderHovered : Theme.borderDisabled
            visible: control.checked
        }
    }
}
