import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ScrollBar {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(2)
    visible: policy === T.ScrollBar.AlwaysOn || (policy === T.ScrollBar.AsNeeded && size < 1.0)
    minimumSize: orientation === Qt.Horizontal ? height / width : width / height

    contentItem: Rectangle {
        implicitWidth: Theme.s(8)
        implicitHeight: Theme.s(8)
        radius: width / 2
        color: control.pressed ? Theme.borderPressed : control.hovered ? Theme.borderHovered : Theme.borderIdle
        opacity: control.policy === T.ScrollBar.AlwaysOn || (control.active && control.size < 1.0) ? 1 : 0.4
    }
}
