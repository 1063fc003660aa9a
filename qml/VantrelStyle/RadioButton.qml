import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.RadioButton {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitContentHeight, implicitIndicatorHeight) + topPadding + bottomPadding
    padding: Theme.s(6)
    spacing: Theme.s(10)
    font.pixelSize: Theme.normalText

    ControlColors { id: colors; control: control }

    indicator: Rectangle {
        x: control.leftPadding
        y: control.topPadding + (control.availableHeight - height) / 2
        implicitWidth: Theme.s(26)
        implicitHeight: Theme.s(26)
        radius: width / 2
        color: colors.fill
        border.color: colors.border
        border.width: Math.max(1, Theme.s(2))
        Rectangle {
            anchors.centerIn: parent
            width: parent.width / 2
            height: width
            radius: width / 2
            color: control.enabled ? Theme.borderHovered : Theme.borderDisabled
            visible: control.checked
        }
    }
    contentItem: Text {
        leftPadding: control.indicator.width + control.spacing
        text: control.text
        font: control.font
        color: colors.text
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
}
