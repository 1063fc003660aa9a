import QtQuick
import QtQuick.Controls
import VantrelTheme

// A modal dialog in the middle of the window that shows a text. The dialog takes its width and
// the text wraps inside it, so no empty band is left beside the text.
Dialog {
    id: dialog

    property string text: ""

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(700), Overlay.overlay ? Overlay.overlay.width * 0.9 : Theme.s(700))

    Label {
        objectName: dialog.objectName ? dialog.objectName + "Text" : ""
        width: parent.width
        text: dialog.text
        wrapMode: Text.Wrap
        elide: Text.ElideNone
    }
}
