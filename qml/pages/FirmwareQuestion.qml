import QtQuick
import QtQuick.Controls
import VantrelTheme

// A question before a step that a module's firmware may not survive: what will happen, and two
// buttons that say what each answer does.
Dialog {
    id: question

    property string text: ""
    property string acceptText: "OK"
    property string rejectText: "Cancel"

    parent: Overlay.overlay
    anchors.centerIn: parent
    modal: true
    width: Math.min(Theme.s(720), parent ? parent.width * 0.9 : Theme.s(720))
    footer: DialogButtonBox {
        alignment: Qt.AlignRight
        background: Item {}
        Button {
            objectName: question.objectName + "Accept"
            text: question.acceptText
            DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
        }
        Button {
            objectName: question.objectName + "Reject"
            text: question.rejectText
            DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
        }
    }
    Label {
        objectName: question.objectName + "Text"
        width: question.availableWidth
        wrapMode: Text.Wrap
        text: question.text
    }
}
