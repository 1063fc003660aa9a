import QtQuick
import QtQuick.Controls.Basic as Basic
import QtQuick.Templates as T
import VantrelTheme

T.Dialog {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding,
                            implicitHeaderWidth, implicitFooterWidth)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding
                             + (implicitHeaderHeight > 0 ? implicitHeaderHeight + spacing : 0)
                             + (implicitFooterHeight > 0 ? implicitFooterHeight + spacing : 0))
    padding: Theme.s(16)
    font.pixelSize: Theme.normalText
    // Takes the keyboard on opening and hands it back to the pop-up below on closing, so Esc and
    // Enter reach whichever is on top.
    focus: true

    /// The button Enter presses: the first footer button with the accept or yes role, or null.
    function defaultButton() {
        var box = control.footer
        for (var i = 0; box && box.count !== undefined && i < box.count; ++i) {
            var role = box.itemAt(i).DialogButtonBox.buttonRole
            if (role === DialogButtonBox.AcceptRole || role === DialogButtonBox.YesRole)
                return box.itemAt(i)
        }
        return null
    }
    function inFooter(item) {
        for (var at = item; at; at = at.parent) {
            if (at === control.footer)
                return true
        }
        return false
    }
    /// Enter on a footer button presses that one, anywhere else the default button.
    function pressDefault() {
        var focused = frame.Window.activeFocusItem
        var button = focused && inFooter(focused) && typeof focused.clicked === "function" ? focused
                                                                                            : defaultButton()
        if (!button || !button.enabled)
            return
        // An editor takes what was typed when it loses the focus, before the dialog reads it.
        control.forceActiveFocus()
        button.clicked()
    }

    PopupTransitions { id: transitions }
    enter: transitions.enter
    exit: transitions.exit

    background: Rectangle {
        id: frame
        color: Theme.background
        border.color: Theme.borderHovered
        border.width: Math.max(1, Theme.s(2))
        radius: Theme.s(4)
        // Only the top-most modal pop-up's shortcuts are live, so nested dialogs do not compete.
        Shortcut {
            sequences: ["Return", "Enter"]
            enabled: control.opened
            onActivated: control.pressDefault()
        }
    }
    header: Text {
        text: control.title
        visible: control.title
        padding: Theme.s(16)
        bottomPadding: 0
        color: Theme.textLink
        font.family: control.font.family
        font.pixelSize: Theme.bigText
        font.bold: true
        elide: Text.ElideRight
    }
    footer: Basic.DialogButtonBox {
        visible: count > 0
        alignment: Qt.AlignRight
        background: Item {}
    }
    T.Overlay.modal: Rectangle { color: "#A0000000" }
}
