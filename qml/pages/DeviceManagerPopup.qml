import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/Calibration.js" as Calibration

// The crate's module list for maintenance: add and remove modules, reset the crate, and open a
// module's calibration constants or its firmware update. The worker polls nothing while it is
// open, so these commands have the link to themselves.
Popup {
    id: popup

    objectName: "deviceManager"
    /// Set by the page that offers the unit-update screen; without it "Update" is shown disabled.
    property bool unitUpdateAvailable: false
    property bool busy: false
    property string message: ""
    /// Longest a crate command with its module list refresh may take before the manager stops
    /// waiting for its answer (the link may be down), ms.
    readonly property int answerWaitMs: 20000

    /// "Update" was pressed on a module; `module` holds its address and list values.
    signal unitUpdateRequested(var module)

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(900), parent ? parent.width * 0.9 : Theme.s(900))
    height: Math.min(Theme.s(900), parent ? parent.height * 0.9 : Theme.s(900))
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside

    onOpened: {
        message = ""
        Worker.activateMode(Worker.WorkerModeNoAction)
    }
    onClosed: {
        busy = false
        Worker.activateMode(Worker.WorkerModeAllChannels)
    }

    /// Runs a crate command; the manager waits for its one message or error.
    function runCommand(command, address) {
        busy = true
        message = ""
        Worker.sendCommand(command, address)
    }

    Timer {
        running: popup.busy
        interval: popup.answerWaitMs
        onTriggered: {
            popup.busy = false
            popup.message = "No answer from the crate; the command may not have run."
        }
    }

    Connections {
        target: Worker
        enabled: popup.opened
        function onSendMessage(title, text) { popup.busy = false; popup.message = text }
        function onSendErrorMessage(title, text) { popup.busy = false; popup.message = text }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(10)

        RowLayout {
            Layout.fillWidth: true
            SectionTitle { text: "Device manager" }
            Item { Layout.fillWidth: true }
            // Never disabled: an answer that does not come must not hold the manager open.
            Button { objectName: "deviceManagerClose"; text: "Close"; onClicked: popup.close() }
        }

        ListView {
            id: modules
            objectName: "deviceManagerList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: Theme.s(6)
            enabled: !popup.busy
            model: DataModel
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            property int expandedAddress: -1

            delegate: Rectangle {
                id: entry
                required property var model
                required property int index
                readonly property bool expanded: modules.expandedAddress === model.address
                function toggle() { modules.expandedAddress = expanded ? -1 : model.address }
                // Tab reaches every entry; Space or Enter opens and closes it.
                activeFocusOnTab: true
                onActiveFocusChanged: if (activeFocus) modules.positionViewAtIndex(index, ListView.Contain)
                Keys.onSpacePressed: toggle()
                Keys.onReturnPressed: toggle()
                width: ListView.view.width - Theme.s(14)
                height: column.implicitHeight + Theme.s(16)
                color: Theme.controlBackground
                border.color: activeFocus ? Theme.textHovered : expanded ? Theme.borderHovered : Theme.borderIdle
                border.width: Math.max(1, Theme.s(2))
                radius: Theme.s(4)

                // The whole entry opens and closes its details; its buttons take their own clicks.
                MouseArea {
                    anchors.fill: parent
                    onClicked: entry.toggle()
                }
                ColumnLayout {
                    id: column
                    anchors.fill: parent
                    anchors.margins: Theme.s(8)
                    spacing: Theme.s(4)

                    Label {
                        objectName: "moduleHeader" + entry.model.address
                        Layout.fillWidth: true
                        text: "#" + entry.model.address + "   " + (entry.model.Description || "")
                        font.bold: true
                        color: entry.expanded ? Theme.textHovered : Theme.textIdle
                    }
                    GridLayout {
                        visible: entry.expanded
                        columns: 2
                        columnSpacing: Theme.s(16)
                        Repeater {
                            model: [["UDID:", entry.model.UDID], ["Firmware version:", entry.model.Firmware],
                                    ["Modification:", entry.model.Modification],
                                    ["Hardware version:", entry.model.Hardware],
                                    ["Description:", entry.model.Description]]
                            delegate: Label {
                                required property var modelData
                                required property int index
                                Layout.row: index
                                Layout.column: 0
                                text: modelData[0]
                                color: Theme.textBlocked
                            }
                        }
                        Repeater {
                            model: [entry.model.UDID, entry.model.Firmware, entry.model.Modification,
                                    entry.model.Hardware, entry.model.Description]
                            delegate: Label {
                                required property var modelData
                                required property int index
                                Layout.row: index
                                Layout.column: 1
                                text: modelData || "---"
                            }
                        }
                    }
                    RowLayout {
                        visible: entry.expanded
                        Layout.fillWidth: true
                        Item { Layout.fillWidth: true }
                        Button {
                            objectName: "removeButton" + entry.model.address
                            text: "Remove"
                            onClicked: removeDialog.ask(entry.model.address, entry.model.Description || "")
                        }
                        Button {
                            objectName: "updateButton" + entry.model.address
                            text: "Update"
                            enabled: popup.unitUpdateAvailable
                            onClicked: popup.unitUpdateRequested(entry.model)
                        }
                        Button {
                            objectName: "constantsButton" + entry.model.address
                            text: "Constants"
                            enabled: Calibration.hasConstants(entry.model.type)
                            onClicked: {
                                constants.address = entry.model.address
                                constants.moduleTitle = "#" + entry.model.address + "  " + (entry.model.Description || "")
                                constants.open()
                            }
                        }
                    }
                }
            }
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(8)
            enabled: !popup.busy
            Label { text: "Address:" }
            TextField {
                id: newAddress
                objectName: "addAddressField"
                Layout.preferredWidth: Theme.s(120)
                placeholderText: "0-255"
                validator: IntValidator { bottom: 0; top: 255 }
                onAccepted: addButton.clicked()
            }
            Button {
                id: addButton
                text: "Add"
                enabled: newAddress.acceptableInput
                onClicked: popup.runCommand(Worker.CommandAddUnit, parseInt(newAddress.text, 10))
            }
            Item { Layout.fillWidth: true }
        }
        // Each crate-wide command on its own button, held to run, so none hides behind another.
        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(8)
            enabled: !popup.busy
            Label { text: "Hold to run:"; color: Theme.textBlocked }
            Item { Layout.fillWidth: true }
            Repeater {
                model: [["Units reset", Worker.CommandResetUnits], ["System reset", Worker.CommandSystemReset],
                        ["Power off", Worker.CommandPowerOff]]
                delegate: PressAndHoldButton {
                    required property var modelData
                    text: modelData[0]
                    Layout.preferredWidth: Theme.s(200)
                    onHeld: popup.runCommand(modelData[1], 0)
                }
            }
        }
        Label {
            objectName: "deviceManagerMessage"
            Layout.fillWidth: true
            text: popup.message
            visible: text.length > 0
            wrapMode: Text.Wrap
            color: Theme.textBlocked
        }
    }

    BusyIndicator {
        anchors.centerIn: parent
        running: popup.busy
        visible: running
    }

    EepromConstantsPopup { id: constants }

    Dialog {
        id: removeDialog
        objectName: "removeDialog"
        property int address: -1
        property string description: ""
        function ask(moduleAddress, moduleDescription) {
            address = moduleAddress
            description = moduleDescription
            open()
        }
        title: "Remove module"
        modal: true
        anchors.centerIn: Overlay.overlay
        width: Math.min(Theme.s(700), popup.width)
        standardButtons: Dialog.Yes | Dialog.Cancel
        onAccepted: popup.runCommand(Worker.CommandRemoveUnit, address)
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: "Module #" + removeDialog.address + (removeDialog.description ? " (" + removeDialog.description + ")" : "")
                  + " will be removed from the crate's module list, and the crate saves that list. "
                  + "It can be added again by its address.\n\nRemove it now?"
        }
    }
}
