import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/Calibration.js" as Calibration
import "../logic/FirmwareChoice.js" as FirmwareChoice

// Choose the firmware for one module from the published catalogue and start its update. Only
// the module's own modification and hardware revision are ever preselected; when none is
// published the screen says so and offers no update. Factory staff (with the factory password)
// may pick another hardware's image, after a question that names both. Holding "Update" hands
// the image URL on.
Popup {
    id: popup

    objectName: "unitUpdate"
    /// The module's entry of the module list (address, type, Firmware, Modification, Hardware...).
    property var module: null
    readonly property int address: module ? module.address : -1
    readonly property string firmwareModel: module ? FirmwareChoice.modelString(module.type) : ""
    readonly property bool unlocked: Calibration.isUnlocked(password.text)
    readonly property string ownModification: module ? FirmwareChoice.text(module.Modification) : ""
    readonly property string ownHardware: module ? FirmwareChoice.text(module.Hardware) : ""
    /// The chosen image is for other hardware than the module's.
    readonly property bool otherHardware: chosenModification !== "" && chosenRevision !== ""
                                          && FirmwareChoice.isForOtherHardware(module || {}, chosenModification,
                                                                               chosenRevision)
    /// The catalogue was read since the program started; it is read once.
    property bool catalogueLoaded: false
    property string catalogueError: ""
    property string chosenModification: ""
    property string chosenRevision: ""
    property string chosenVersion: ""

    /// The user held "Update": the module at `address` is to take the image at `url`.
    signal updateRequested(int address, string url)

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(760), parent ? parent.width * 0.9 : Theme.s(760))
    closePolicy: Popup.CloseOnEscape

    function openFor(entry) {
        // A copy: the list entry goes when the module list is read again.
        module = { address: entry.address, type: entry.type, Description: entry.Description,
                   Firmware: entry.Firmware, Modification: entry.Modification, Hardware: entry.Hardware }
        open()
    }

    // Before the pop-up shows, so that it never shows the last module's choices.
    onAboutToShow: {
        password.text = ""
        chosenModification = ""
        chosenRevision = ""
        chosenVersion = ""
        if (catalogueLoaded) {
            refresh()
        } else {
            catalogueError = ""
            fileHandler.loadFileMap()
        }
    }
    onClosed: {
        if (fileHandler.loading)
            fileHandler.cancelLoading()
    }

    /// Narrows the catalogue box by box, keeping each choice while the narrowed list holds it.
    function refresh() {
        fileHandler.updateFilters(firmwareModel)
        chosenModification = FirmwareChoice.hardwareChoice(fileHandler.modifications, chosenModification,
                                                           ownModification, unlocked)
        fileHandler.updateFilters(firmwareModel, chosenModification)
        chosenRevision = FirmwareChoice.hardwareChoice(fileHandler.revisions, chosenRevision, ownHardware, unlocked)
        fileHandler.updateFilters(firmwareModel, chosenModification, chosenRevision)
        chosenVersion = FirmwareChoice.versionChoice(fileHandler.versions, chosenVersion)
    }
    // Locking again goes back to the module's own hardware.
    onUnlockedChanged: if (catalogueLoaded && visible) refresh()

    function imageUrl() {
        return fileHandler.baseUrl + chosenVersion + "/" + firmwareModel + "M" + chosenModification + "V"
                + chosenRevision + "_code.bin"
    }
    function requestUpdate() {
        var url = imageUrl()
        close()
        updateRequested(address, url)
    }

    // Only this pop-up reads the catalogue; a fast server may finish before the pop-up has faded in.
    Connections {
        target: fileHandler
        function onLoadingFinished() {
            popup.catalogueLoaded = true
            popup.refresh()
        }
        function onErrorOccurred(errorMessage) { popup.catalogueError = errorMessage }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(10)

        RowLayout {
            Layout.fillWidth: true
            SectionTitle {
                text: "Unit update"
                Layout.fillWidth: true
            }
            Button {
                objectName: "unitUpdateClose"
                text: "Close"
                onClicked: popup.close()
            }
        }
        Label {
            Layout.fillWidth: true
            text: popup.module ? "#" + popup.address + "   " + (popup.module.Description || "")
                                 + "\nFirmware now: " + (popup.module.Firmware || "---") : ""
            wrapMode: Text.Wrap
        }

        GridLayout {
            Layout.fillWidth: true
            columns: 2
            columnSpacing: Theme.s(16)
            enabled: !fileHandler.loading

            Label { text: "This module:" }
            Label {
                objectName: "unitUpdateOwn"
                text: "modification " + (popup.ownModification || "?") + ", hardware version "
                      + (popup.ownHardware || "?")
            }
            Label { text: "Model:" }
            Label {
                objectName: "unitUpdateModel"
                text: popup.firmwareModel || "no published firmware"
            }
            Label { text: "Modification:" }
            CatalogueBox {
                objectName: "modificationBox"
                model: fileHandler.modifications
                chosen: popup.chosenModification
                enabled: popup.unlocked
                onPicked: (text) => { popup.chosenModification = text; popup.refresh() }
            }
            Label { text: "Hardware version:" }
            CatalogueBox {
                objectName: "revisionBox"
                model: fileHandler.revisions
                chosen: popup.chosenRevision
                enabled: popup.unlocked
                onPicked: (text) => { popup.chosenRevision = text; popup.refresh() }
            }
            Label { text: "Firmware version:" }
            CatalogueBox {
                objectName: "versionBox"
                model: fileHandler.versions
                chosen: popup.chosenVersion
                onPicked: (text) => { popup.chosenVersion = text }
            }
            Label { text: "Factory password:" }
            TextField {
                id: password
                objectName: "unitUpdatePassword"
                Layout.fillWidth: true
                echoMode: TextInput.Password
            }
        }

        Label {
            Layout.fillWidth: true
            objectName: "unitUpdateNote"
            wrapMode: Text.Wrap
            color: popup.catalogueError !== "" ? Theme.textLink : Theme.textBlocked
            text: fileHandler.loading ? "Reading the firmware catalogue..."
                  : popup.catalogueError !== "" ? popup.catalogueError
                  : popup.firmwareModel === "" ? "No firmware is published for this module."
                  : popup.chosenModification === "" || popup.chosenRevision === ""
                    ? "No firmware is published for modification " + (popup.ownModification || "?")
                      + ", hardware version " + (popup.ownHardware || "?") + "."
                      + (popup.unlocked ? " Choose a modification and hardware version." : "")
                  : popup.chosenVersion === "" ? "The catalogue holds no firmware for this modification and hardware version."
                  : popup.otherHardware ? "This image is for modification " + popup.chosenModification
                                          + ", hardware version " + popup.chosenRevision
                                          + ", not the module's own."
                  : "Hold \"Update\" to write firmware " + popup.chosenVersion + " to the module."
        }
        RowLayout {
            Layout.fillWidth: true
            BusyIndicator {
                running: fileHandler.loading
                visible: running
                Layout.preferredHeight: Theme.s(48)
                Layout.preferredWidth: Theme.s(48)
            }
            Button {
                text: "Reload catalogue"
                enabled: !fileHandler.loading
                onClicked: {
                    popup.catalogueError = ""
                    fileHandler.loadFileMap()
                }
            }
            Item { Layout.fillWidth: true }
            PressAndHoldButton {
                objectName: "unitUpdateButton"
                text: "Update"
                Layout.preferredWidth: Theme.s(220)
                enabled: !fileHandler.loading && popup.chosenModification !== "" && popup.chosenRevision !== ""
                         && popup.chosenVersion !== "" && (!popup.otherHardware || popup.unlocked)
                // Another hardware's image only with the password and after a question.
                onHeld: {
                    if (!popup.otherHardware)
                        popup.requestUpdate()
                    else if (popup.unlocked)
                        otherHardwareQuestion.open()
                }
            }
        }
    }

    FirmwareQuestion {
        id: otherHardwareQuestion
        objectName: "otherHardwareQuestion"
        title: "Firmware for other hardware"
        text: "Module #" + popup.address + " is modification " + (popup.ownModification || "?")
              + ", hardware version " + (popup.ownHardware || "?") + ". The chosen image is for modification "
              + popup.chosenModification + ", hardware version " + popup.chosenRevision
              + ". An image for other hardware can leave the module without working firmware. Write it anyway?"
        acceptText: "Write anyway"
        rejectText: "Cancel"
        onAccepted: popup.requestUpdate()
    }

    /// A catalogue list that shows the popup's choice and reports the user's.
    component CatalogueBox: ComboBox {
        property string chosen: ""
        signal picked(string text)
        Layout.fillWidth: true
        currentIndex: model ? model.indexOf(chosen) : -1
        onActivated: (index) => picked(textAt(index))
    }
}
