import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.Switch {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitIndicatorWidth + leftPadding + rightPadding,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitContentHeight, implicitIndicatorHeight) + topPadding + bottomPadding
    padding: Theme.s(6)
    spacing: Theme.s(10)
    font.pixelSize: Theme.normalText

    ControlColors { id: colors; control: control }

    indicator: Rectangle {
        x: control.text ? control.leftPadding : control.leftPadding + (control.availableWidth - width) / 2
        y: control.topPadding + (control.availableHeight - height) / 2
        implicitWidth: Theme.s(56)
        implicitHeight: Theme.s(28)
        radius: height / 2
        color: control.checked ? Qt.darker(Theme.borderHovered, control.enabled ? 1.6 : 3) : colors.fill
        border.color: colors.border
        border.width: Math.max(1, Theme.s(2))
        Rectangle {
            x: control.visualPosition * (parent.width - width)
            width: parent.height
            height: parent.height
            radius: height / 2
            color: control.enabled ? (control.checked ? Theme.borderHovered : Theme.textIdle) : Theme.textBlocked
            Behavior on x { NumberAnimation { duration: 100 } }
        }
        // Keyboard focus: a ring around the track, apart from the border that shows hovering.
        Rectangle {
            anchors.fill: parent
            anchors.margins: -Theme.s(4)
            radius: height / 2
            color: "transparent"
            border.color: Theme.textHovered
            border.width: Math.max(1, Theme.s(2))
            visible: control.visualFocus
        }
    }
    contentItem: Text {
        leftPadding: control.text ? control.indicator.width + control.spacing : 0
        text: control.text
        font: control.font
        color: colors.text
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
}
