import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.Popup {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset, contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, contentHeight + topPadding + bottomPadding)
    padding: Theme.s(12)
    font.pixelSize: Theme.normalText
    // Takes the keyboard on opening and gets it back when a pop-up opened over it closes, so Esc
    // closes the one on top and Tab moves inside it.
    focus: true

    PopupTransitions { id: transitions }
    enter: transitions.enter
    exit: transitions.exit

    background: Rectangle {
        color: Theme.background
        border.color: Theme.borderIdle
        border.width: Math.max(1, Theme.s(2))
        radius: Theme.s(4)
    }
    T.Overlay.modal: Rectangle { color: "#A0000000" }
}
