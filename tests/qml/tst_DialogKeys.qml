import QtQuick
import QtQuick.Controls as C
import QtTest
import VantrelStyle

// The style's pop-ups and dialogs with the keyboard alone: Enter presses the default button,
// Esc closes the one on top, also after a dialog opened over another pop-up has closed.
TestCase {
    id: testCase
    name: "DialogKeys"
    width: 800
    height: 600
    visible: true
    when: windowShown

    Component {
        id: standardDialog
        Dialog {
            property alias field: field
            anchors.centerIn: parent
            title: "Question"
            C.TextField { id: field; width: 200 }
        }
    }
    Component {
        id: customDialog
        Dialog {
            property alias field: field
            anchors.centerIn: parent
            footer: C.DialogButtonBox {
                C.Button { text: "Later"; C.DialogButtonBox.buttonRole: C.DialogButtonBox.RejectRole }
                C.Button { text: "Install"; C.DialogButtonBox.buttonRole: C.DialogButtonBox.AcceptRole }
            }
            C.TextField { id: field; width: 200 }
        }
    }
    Component {
        id: editorPopup
        Popup {
            property alias inner: inner
            modal: true
            width: 600
            height: 400
            closePolicy: Popup.CloseOnEscape
            Dialog { id: inner; modal: true; standardButtons: Dialog.Ok | Dialog.Cancel }
        }
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    function openDialog(component, properties) {
        var dialog = createTemporaryObject(component, testCase, properties)
        var accepted = createTemporaryObject(spyComponent, testCase, { target: dialog, signalName: "accepted" })
        var rejected = createTemporaryObject(spyComponent, testCase, { target: dialog, signalName: "rejected" })
        dialog.open()
        tryCompare(dialog, "opened", true)
        return { dialog: dialog, accepted: accepted, rejected: rejected }
    }

    function test_enter_data() {
        return [
            { tag: "ok in a text field", component: standardDialog, buttons: Dialog.Ok | Dialog.Cancel,
              focusField: true, accepted: 1, rejected: 0 },
            { tag: "yes", component: standardDialog, buttons: Dialog.Yes | Dialog.No,
              focusField: false, accepted: 1, rejected: 0 },
            { tag: "custom footer", component: customDialog, buttons: undefined,
              focusField: true, accepted: 1, rejected: 0 },
            { tag: "no accepting button", component: standardDialog, buttons: Dialog.Close,
              focusField: false, accepted: 0, rejected: 0 },
        ]
    }
    function test_enter(data) {
        var properties = data.buttons === undefined ? {} : { standardButtons: data.buttons }
        var made = openDialog(data.component, properties)
        if (data.focusField) {
            made.dialog.field.forceActiveFocus()
            keyClick("7")
        }
        keyClick(Qt.Key_Return)
        compare(made.accepted.count, data.accepted)
        compare(made.rejected.count, data.rejected)
        tryCompare(made.dialog, "visible", data.accepted + data.rejected === 0)
        if (data.focusField)
            compare(made.dialog.field.text, "7")
    }

    function test_enterOnAFocusedButtonPressesThatOne() {
        var made = openDialog(standardDialog, { standardButtons: Dialog.Ok | Dialog.Cancel })
        made.dialog.standardButton(Dialog.Cancel).forceActiveFocus(Qt.TabFocusReason)
        keyClick(Qt.Key_Enter)
        compare(made.rejected.count, 1)
        compare(made.accepted.count, 0)
    }

    function test_keysReachTheTopAfterANestedDialog() {
        var editor = createTemporaryObject(editorPopup, testCase)
        editor.open()
        tryCompare(editor, "opened", true)
        var accepted = createTemporaryObject(spyComponent, testCase, { target: editor.inner, signalName: "accepted" })
        editor.inner.open()
        tryCompare(editor.inner, "opened", true)
        // Enter belongs to the dialog on top; the editor below stays open.
        keyClick(Qt.Key_Return)
        compare(accepted.count, 1)
        tryCompare(editor.inner, "visible", false)
        verify(editor.opened)
        // No click needed: Esc closes the editor at once.
        keyClick(Qt.Key_Escape)
        tryCompare(editor, "visible", false)
    }
}
