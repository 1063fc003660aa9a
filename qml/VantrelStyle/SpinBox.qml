import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.SpinBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentItem.implicitWidth + 2 * padding + up.implicitIndicatorWidth + down.implicitIndicatorWidth)
    implicitHeight: Math.max(implicitContentHeight + topPadding + bottomPadding, implicitBackgroundHeight,
                             up.implicitIndicatorHeight, down.implicitIndicatorHeight)
    padding: Theme.s(4)
    leftPadding: padding + down.indicator.width
    rightPadding: padding + up.indicator.width
    font.pixelSize: Theme.normalText
    editable: true

    ControlColors { id: colors; control: control }

    contentItem: TextInput {
        z: 2
        text: control.displayText
        font: control.font
        color: control.enabled ? Theme.textIdle : Theme.textBlocked
        selectionColor: Theme.borderPressed
        selectedTextColor: Theme.textHovered
        horizontalAlignment: Qt.AlignHCenter
        verticalAlignment: Qt.AlignVCenter
        readOnly: !control.editable
        validator: control.validator
        inputMethodHints: control.inputMethodHints
        selectByMouse: true
        clip: true
    }
    up.indicator: Rectangle {
        x: control.mirrored ? 0 : parent.width - width
        height: parent.height
        implicitWidth: Theme.s(34)
        implicitHeight: Theme.s(36)
        color: control.up.pressed ? Theme.controlBackgroundHovered : "transparent"
        Text {
            anchors.centerIn: parent
            text: "+"
            font.pixelSize: Theme.bigText
            color: control.up.indicator.enabled && control.enabled ? Theme.textLink : Theme.textBlocked
        }
    }
    down.indicator: Rectangle {
        x: control.mirrored ? parent.width - width : 0
        height: parent.height
        implicitWidth: Theme.s(34)
        implicitHeight: Theme.s(36)
        color: control.down.pressed ? Theme.controlBackgroundHovered : "transparent"
        Text {
            anchors.centerIn: parent
            text: "\u2212"
            font.pixelSize: Theme.bigText
            color: control.down.indicator.enabled && control.enabled ? Theme.textLink : Theme.textBlocked
        }
    }
    background: Rectangle {
        implicitWidth: Theme.s(160)
        radius: Theme.s(4)
        color: colors.fill
        border.color: control.activeFocus ? Theme.borderHovered : colors.border
        border.width: Math.max(1, Theme.s(2))
    }
}
