import QtQuick
import VantrelTheme

// Border and text colours of a control by its state, shared by every control of the style.
QtObject {
    required property Item control

    readonly property bool pressed: control.pressed === true || control.down === true
    readonly property color border: !control.enabled ? Theme.borderDisabled
                                  : pressed ? Theme.borderPressed
                                  : (control.hovered || control.visualFocus) ? Theme.borderHovered
                                  : Theme.borderIdle
    readonly property color text: !control.enabled ? Theme.textBlocked
                                : control.hovered ? Theme.textHovered : Theme.textIdle
    readonly property color fill: control.enabled && control.hovered ? Theme.controlBackgroundHovered
                                                                    : Theme.controlBackground
}
