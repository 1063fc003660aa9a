import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/Calibration.js" as Calibration
import "../logic/NumberText.js" as NumberText

// The calibration constants of one module: read them, edit them, save and load them as a file,
// send them to the module and have it keep them in EEPROM. Factory staff only: the list and the
// menu stay locked until the factory password is typed.
Popup {
    id: popup

    objectName: "eepromConstants"
    property int address: -1
    property string moduleTitle: ""
    /// The command the editor waits for: "get", "set", "write" or "" when idle.
    property string pending: ""
    /// The list holds this module's constants (a read succeeded since opening).
    property bool loaded: false
    property string message: ""
    property var collapsedGroups: []
    readonly property bool unlocked: Calibration.isUnlocked(password.text)
    readonly property var storage: EepromDataModel.storage

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(860), parent ? parent.width : Theme.s(860))
    height: Math.min(Theme.s(1000), Overlay.overlay ? Overlay.overlay.height * 0.95 : Theme.s(1000))
    closePolicy: pending === "" ? Popup.CloseOnEscape : Popup.NoAutoClose

    onOpened: {
        loaded = false
        message = ""
        run("get")
    }
    onClosed: {
        pending = ""
        password.text = ""
    }

    function run(command) {
        pending = command
        message = ""
        if (command === "get")
            Worker.sendCommand(Worker.CommandUpdateEepromConst, address)
        else if (command === "set")
            Worker.sendEepromData()
        else
            Worker.writeEeprom()
    }

    function toggleGroup(group) {
        var groups = collapsedGroups.slice()
        var at = groups.indexOf(group)
        if (at >= 0)
            groups.splice(at, 1)
        else
            groups.push(group)
        collapsedGroups = groups
    }

    /// Loads a calibration file; first asks when it is another module's or some of its entries
    /// cannot be loaded, saying which.
    function loadFile(path) {
        message = ""
        var check = storage.inspectFile(path)
        if (check.error !== "") {
            fileErrorDialog.showError("ERROR!", check.error)
        } else if (check.udidDiffers || check.skipped.length > 0) {
            loadDialog.path = path
            loadDialog.fileUdid = check.udid
            loadDialog.udidDiffers = check.udidDiffers
            loadDialog.skipped = check.skipped
            loadDialog.loadable = check.loadable
            loadDialog.open()
        } else {
            storage.loadFromFile(path)
        }
    }

    Connections {
        target: Worker
        enabled: popup.pending !== ""
        function onEepromDataUpdated() {
            if (popup.pending === "get") {
                popup.loaded = true
                popup.collapsedGroups = EepromDataModel.allCategories()
            } else {
                popup.message = popup.pending === "set" ? "Constants sent to the module."
                                                        : "The module keeps its constants in EEPROM."
            }
            popup.pending = ""
        }
        function onSendErrorMessage(title, text) {
            popup.message = text
            popup.pending = ""
        }
    }
    Connections {
        target: popup.storage
        function onFileError(text) {
            popup.message = ""
            fileErrorDialog.showError("ERROR!", text)
        }
        function onUpdated() { popup.message = "Constants loaded from the file; \"Set data to device\" sends them." }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(8)

        RowLayout {
            Layout.fillWidth: true
            SectionTitle { text: "EEPROM constants"; Layout.fillWidth: true; elide: Text.ElideRight }
            Button {
                id: menuButton
                objectName: "eepromMenuButton"
                text: "\u2630  Menu"
                enabled: popup.unlocked && popup.pending === ""
                onClicked: menu.open()
                Menu {
                    id: menu
                    y: menuButton.height
                    MenuItem { text: "Get data from device"; onTriggered: popup.run("get") }
                    MenuItem {
                        objectName: "setDataItem"
                        text: "Set data to device"
                        enabled: popup.loaded
                        onTriggered: popup.run("set")
                    }
                    MenuItem { text: "Write EEPROM"; enabled: popup.loaded; onTriggered: writeDialog.open() }
                    MenuItem { text: "Save EEPROM data"; enabled: popup.loaded; onTriggered: saveDialog.open() }
                    MenuItem { text: "Load EEPROM data"; enabled: popup.loaded; onTriggered: openDialog.open() }
                }
            }
            Button { text: "Close"; enabled: popup.pending === ""; onClicked: popup.close() }
        }
        // Wraps rather than cuts: the UDID is read whole, to be compared with a file's.
        Label {
            objectName: "eepromModuleHeader"
            Layout.fillWidth: true
            text: popup.moduleTitle + (popup.loaded ? "   " + popup.storage.typeString() + "   UDID " + popup.storage.udid() : "")
            color: Theme.textBlocked
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        }
        RowLayout {
            Layout.fillWidth: true
            Label { text: "Factory password:" }
            TextField {
                id: password
                objectName: "factoryPassword"
                Layout.preferredWidth: Theme.s(260)
                echoMode: TextInput.Password
            }
            Label {
                text: popup.unlocked ? "unlocked" : "locked"
                color: popup.unlocked ? Theme.lampActive : Theme.textBlocked
            }
        }

        ListView {
            id: list
            objectName: "eepromList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            enabled: popup.unlocked && popup.pending === ""
            visible: popup.loaded
            model: EepromDataModel
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            section.property: "group"
            section.delegate: ItemDelegate {
                // `section` is the context property: see ParameterPanel.
                objectName: "group_" + section
                width: ListView.view.width - Theme.s(14)
                text: (popup.collapsedGroups.indexOf(section) >= 0 ? "\u25B8  " : "\u25BE  ") + section
                font.bold: true
                onClicked: popup.toggleGroup(section)
            }
            delegate: Item {
                id: row
                required property var model
                readonly property bool hidden: popup.collapsedGroups.indexOf(model.group) >= 0
                readonly property bool isPair: model.type === EepromDataItem.Pair
                width: ListView.view.width - Theme.s(14)
                height: hidden ? 0 : fields.implicitHeight + Theme.s(6)
                visible: !hidden

                RowLayout {
                    id: fields
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.leftMargin: Theme.s(24)
                    spacing: Theme.s(8)
                    Label { text: row.model.displayedName; Layout.preferredWidth: Theme.s(220) }
                    ConstantField {
                        objectName: "single_" + row.model.name
                        visible: !row.isPair
                        Layout.fillWidth: true
                        value: row.isPair ? 0 : row.model.value
                        onEdited: function (text) { row.model.value = NumberText.parseNumber(text) }
                    }
                    ConstantField {
                        objectName: "first_" + row.model.name
                        visible: row.isPair
                        Layout.fillWidth: true
                        placeholderText: "first"
                        value: row.isPair ? row.model.value.first : 0
                        onEdited: function (text) { row.model.value = Calibration.editedPair(row.model.value, "first", text) }
                    }
                    ConstantField {
                        objectName: "second_" + row.model.name
                        visible: row.isPair
                        Layout.fillWidth: true
                        placeholderText: "second"
                        value: row.isPair ? row.model.value.second : 0
                        onEdited: function (text) { row.model.value = Calibration.editedPair(row.model.value, "second", text) }
                    }
                }
            }
        }
        Item {
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: !popup.loaded
        }
        Label {
            Layout.fillWidth: true
            text: popup.message
            visible: text.length > 0
            wrapMode: Text.Wrap
            color: Theme.textBlocked
        }
    }

    BusyIndicator {
        objectName: "eepromBusy"
        anchors.centerIn: parent
        running: popup.pending !== ""
        visible: running
    }

    Dialog {
        id: writeDialog
        title: "Write EEPROM"
        modal: true
        anchors.centerIn: Overlay.overlay
        width: Math.min(Theme.s(700), popup.width)
        standardButtons: Dialog.Yes | Dialog.Cancel
        onAccepted: popup.run("write")
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: "Module " + popup.moduleTitle + " will store the constants it holds now in its EEPROM, "
                  + "replacing the calibration it keeps over a power cycle. The previous constants cannot "
                  + "be recovered from the module. Edits reach the module only with \"Set data to device\".\n\n"
                  + "Write EEPROM now?"
        }
    }
    Dialog {
        id: loadDialog
        objectName: "eepromLoadQuestion"
        property string path: ""
        property string fileUdid: ""
        property bool udidDiffers: false
        property var skipped: []
        property int loadable: 0
        title: "Another module's file"
        modal: true
        anchors.centerIn: Overlay.overlay
        width: Math.min(Theme.s(760), popup.width)
        standardButtons: Dialog.Yes | Dialog.Cancel
        onAccepted: popup.storage.loadFromFile(path)
        Label {
            objectName: "eepromLoadText"
            width: parent.width
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            text: (loadDialog.udidDiffers
                   ? "The file was saved from the module with UDID " + (loadDialog.fileUdid || "(none)")
                     + "; this module's UDID is " + (popup.loaded ? popup.storage.udid() : "") + ".\n\n" : "")
                  + (loadDialog.skipped.length > 0
                     ? "Left out when loading:\n" + loadDialog.skipped.map(function (line) { return "\u2022 " + line }).join("\n")
                       + "\n\nLoad the " + loadDialog.loadable + (loadDialog.loadable === 1 ? " constant" : " constants")
                       + " the file and this module share into the editor?"
                     : "Load its constants into this module's editor anyway?")
        }
    }
    ErrorDialog { id: fileErrorDialog }
    FileChooser {
        id: saveDialog
        title: "Save EEPROM data"
        kind: "calibration"
        defaultSuffix: "json"
        nameFilters: ["Calibration files (*.json)", "All files (*)"]
        onChosen: (path) => popup.storage.saveToFile(path)
    }
    FileChooser {
        id: openDialog
        title: "Load EEPROM data"
        saving: false
        kind: "calibration"
        nameFilters: ["Calibration files (*.json)", "All files (*)"]
        onChosen: (path) => popup.loadFile(path)
    }
}
