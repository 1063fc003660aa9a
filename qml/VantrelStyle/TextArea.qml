import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.TextArea {
    id: control

    implicitWidth: Math.max(contentWidth + leftPadding + rightPadding,
                            implicitBackgroundWidth + leftInset + rightInset,
                            placeholder.implicitWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(contentHeight + topPadding + bottomPadding,
                             implicitBackgroundHeight + topInset + bottomInset,
                             placeholder.implicitHeight + topPadding + bottomPadding)
    padding: Theme.s(8)
    font.pixelSize: Theme.normalText
    color: enabled ? Theme.textIdle : Theme.textBlocked
    placeholderTextColor: Theme.textBlocked
    selectionColor: Theme.borderPressed
    selectedTextColor: Theme.textHovered
    selectByMouse: true
    wrapMode: TextEdit.Wrap

    Text {
        id: placeholder
        x: control.leftPadding
        y: control.topPadding
        width: control.width - (control.leftPadding + control.rightPadding)
        text: control.placeholderText
        font: control.font
        color: control.placeholderTextColor
        visible: !control.length && !control.preeditText
        wrapMode: Text.Wrap
    }
    background: Rectangle {
        implicitWidth: Theme.s(200)
        implicitHeight: Theme.s(80)
        radius: Theme.s(4)
        color: control.hovered ? Theme.controlBackgroundHovered : Theme.controlBackground
        border.width: Math.max(1, Theme.s(2))
        border.color: !control.enabled ? Theme.borderDisabled
                    : control.activeFocus || control.hovered ? Theme.borderHovered : Theme.borderIdle
    }
}
