import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"

// One module's firmware update as the crate takes it, in two steps with a ring each: the
// download of the image, then the crate writing it. Then how the update ended, which stays the
// last word: only a completed update reads the module list again on closing (that read reports
// its own success). Stopping a running update asks first.
Popup {
    id: popup

    objectName: "updateProgress"
    property int address: -1
    /// "" while the update runs, else how it ended.
    property string outcome: ""
    property bool succeeded: false
    readonly property bool writing: firmwareUpdate.phase === FirmwareUpdate.PhaseWriting

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

    function phaseText(phase) {
        switch (phase) {
        case FirmwareUpdate.PhaseConnecting:
            return "Waiting for the crate to connect..."
        case FirmwareUpdate.PhaseDownloading:
            return "Step 1 of 2: downloading the image"
        case FirmwareUpdate.PhaseWriting:
            return "Step 2 of 2: the crate writes the image to the module"
        case FirmwareUpdate.PhaseCompleted:
            return "Both steps done"
        default:
            return "Not completed"
        }
    }

    onClosed: {
        stopQuestion.close()
        firmwareUpdate.cancel()
        if (succeeded)
            Worker.sendCommand(Worker.CommandAddUnit, address)
    }

    Connections {
        target: firmwareUpdate
        function onFinished(succeeded, message) {
            stopQuestion.close()
            popup.succeeded = succeeded
            popup.outcome = succeeded ? "The module took the new firmware."
                                      : message + ".\nThe update did not complete; the crate was unlocked."
        }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(12)

        SectionTitle { text: "Updating module #" + popup.address }

        Label {
            objectName: "updatePhase"
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
            text: popup.phaseText(firmwareUpdate.phase)
            color: Theme.textHovered
        }
        CircularProgress {
            objectName: "updateRing"
            Layout.alignment: Qt.AlignHCenter
            Layout.preferredWidth: Theme.s(220)
            Layout.preferredHeight: Theme.s(220)
            value: firmwareUpdate.percent / 100
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
            onClicked: firmwareUpdate.running ? stopQuestion.open() : popup.close()
        }
    }

    FirmwareQuestion {
        id: stopQuestion
        objectName: "stopUpdateQuestion"
        title: "Stop the update?"
        text: popup.writing
              ? "The crate is writing the image to module #" + popup.address
                + ". Stopping now can leave the module without working firmware."
              : "The image has not reached the crate yet; module #" + popup.address + " keeps its firmware."
        acceptText: "Stop the update"
        rejectText: "Keep updating"
        onAccepted: firmwareUpdate.cancel()
    }
}
