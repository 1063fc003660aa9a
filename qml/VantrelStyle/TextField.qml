import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.TextField {
    id: control

    implicitWidth: implicitBackgroundWidth + leftInset + rightInset
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, contentHeight + topPadding + bottomPadding)
    padding: Theme.s(8)
    font.pixelSize: Theme.normalText
    color: enabled ? (acceptableInput ? Theme.textIdle : Theme.borderHovered) : Theme.textBlocked
    placeholderTextColor: Theme.textBlocked
    selectionColor: Theme.borderPressed
    selectedTextColor: Theme.textHovered
    verticalAlignment: TextInput.AlignVCenter
    selectByMouse: true

    Text {
        x: control.leftPadding
        y: control.topPadding
        width: control.width - (control.leftPadding + control.rightPadding)
        height: control.height - (control.topPadding + control.bottomPadding)
        text: control.placeholderText
        font: control.font
        color: control.placeholderTextColor
        verticalAlignment: control.verticalAlignment
        visible: !control.length && !control.preeditText
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitWidth: Theme.s(200)
        implicitHeight: Theme.s(40)
        radius: Theme.s(4)
        color: control.hovered ? Theme.controlBackgroundHovered : Theme.controlBackground
        border.width: Math.max(1, Theme.s(2))
        border.color: !control.enabled ? Theme.borderDisabled
                    : control.activeFocus || control.hovered ? Theme.borderHovered : Theme.borderIdle
    }
}
