import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"

// One module's firmware update as the crate takes it: the file server's progress in a ring and
// its status line, then how the update ended. Closing it while the update runs abandons the
// update; either way the crate is unlocked, and the module list is read again on closing.
Popup {
    id: popup

    objectName: "updateProgress"
    property int address: -1
    /// "" while the update runs, else how it ended.
    property string outcome: ""
    property bool succeeded: false

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(640), parent ? parent.width * 0.9 : Theme.s(640))
    closePolicy: Popup.NoAutoClose

    /// Updates the module at `moduleAddress` with the image at `url`.
    function start(moduleAddress, url) {
        address = moduleAddress
        outcome = ""
        succeeded = false
        open()
        firmwareUpdate.start(moduleAddress, url)
    }

    onClosed: {
        firmwareUpdate.cancel()
        Worker.sendCommand(Worker.CommandAddUnit, address)
    }

    Connections {
        target: firmwareUpdate
        function onFinished(succeeded, message) {
            popup.succeeded = succeeded
            popup.outcome = succeeded ? "The module took the new firmware."
                                      : message + "\nThe update did not complete; the crate was unlocked."
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(12)

        SectionTitle { text: "Updating module #" + popup.address }

        CircularProgress {
            objectName: "updateRing"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: Theme.s(220)
            Layout.preferredHeight: Theme.s(220)
            value: fileServer.progress / 100
            failed: popup.outcome !== "" && !popup.succeeded
        }
        Label {
            objectName: "updateStatus"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            // A failure's reason is in the outcome below.
            visible: popup.outcome === "" || popup.succeeded
            text: fileServer.status
            color: Theme.textBlocked
        }
        Label {
            objectName: "updateOutcome"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            visible: text !== ""
            text: popup.outcome
            color: popup.succeeded ? Theme.textHovered : Theme.textLink
            font.bold: true
        }
        Button {
            objectName: "updateCloseButton"
            Layout.alignment: Qt.AlignHCenter
            text: firmwareUpdate.running ? "Cancel" : "Close"
            onClicked: popup.close()
        }
    }
}
