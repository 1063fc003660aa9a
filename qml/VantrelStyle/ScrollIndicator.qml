import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ScrollIndicator {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(2)

    contentItem: Rectangle {
        implicitWidth: Theme.s(4)
        implicitHeight: Theme.s(4)
        color: Theme.borderHovered
        visible: control.size < 1.0
        opacity: control.active ? 1 : 0.3
    }
}
