import QtQuick
import QtQuick.Controls
import VantrelTheme

// Shows an error the back end reports; a second error while open replaces the text.
Dialog {
    id: dialog

    property string message: ""

    function showError(title, text) {
        dialog.title = title
        dialog.message = text
        open()
    }

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(700), parent ? parent.width * 0.9 : Theme.s(700))
    standardButtons: Dialog.Ok

    Label {
        width: parent.width
        text: dialog.message
        wrapMode: Text.Wrap
        elide: Text.ElideNone
    }
}
