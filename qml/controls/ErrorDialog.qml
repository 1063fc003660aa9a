import QtQuick
import QtQuick.Controls

// Shows an error the back end reports; a second error while open replaces the text.
TextDialog {
    id: dialog

    function showError(title, text) {
        dialog.title = title
        dialog.text = text
        open()
    }

    standardButtons: Dialog.Ok
}
