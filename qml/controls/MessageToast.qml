import QtQuick
import QtQuick.Controls
import VantrelTheme

// A report of success that needs no answer: shown at the bottom of the window, it closes
// itself after a few seconds; a new message replaces the one shown.
Popup {
    id: toast

    property string message: ""
    property int showMs: 4000

    function show(title, text) {
        message = title ? title + ": " + text : text
        open()
        closeTimer.restart()
    }

    x: parent ? (parent.width - width) / 2 : 0
    y: parent ? parent.height - height - Theme.s(40) : 0
    modal: false
    focus: false
    closePolicy: Popup.CloseOnPressOutside | Popup.CloseOnEscape

    Label {
        objectName: "toastText"
        text: toast.message
        font.pixelSize: Theme.normalText
    }
    Timer {
        id: closeTimer
        interval: toast.showMs
        onTriggered: toast.close()
    }
}
