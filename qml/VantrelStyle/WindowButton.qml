import QtQuick
import QtQuick.Templates as T
import VantrelTheme

// One button of the window's title bar: a symbol on a field that lights up under the pointer.
// It never takes the keyboard focus away from the page.
T.AbstractButton {
    id: control

    /// Field colour under the pointer.
    property color hoverColor: Theme.controlBackgroundHovered

    implicitWidth: Theme.s(56)
    implicitHeight: Theme.s(40)
    focusPolicy: Qt.NoFocus
    hoverEnabled: true

    background: Rectangle {
        color: control.down ? Theme.borderPressed : control.hovered ? control.hoverColor : "transparent"
    }
}
