import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Qt.labs.folderlistmodel
import MyWorker 1.0
import VantrelTheme

// The program's one file dialog, for saving and for opening. A typed name and one Return (or
// the Save button) save at once; a typed absolute path or one from "~" is taken as typed; an
// existing file is replaced only after a question. It starts in the folder last used for its
// `kind` of file, else in the user's documents, and shows the files of the chosen filter.
Popup {
    id: chooser

    property string title: ""
    property bool saving: true
    /// Files of one kind share the remembered folder ("presets", "data", "calibration", ...).
    property string kind: "files"
    /// The name offered when the dialog opens for saving.
    property string defaultName: ""
    /// Appended to a typed name without one when saving ("json" makes "a" into "a.json").
    property string defaultSuffix: ""
    /// As "Presets (*.json)"; the first is in force when the dialog opens.
    property var nameFilters: []
    property string folder: ""
    property string problem: ""

    /// The full path of the file the user chose.
    signal chosen(string path)

    function globsOf(filter) {
        var match = /\(([^)]*)\)/.exec(filter || "")
        return match ? match[1].trim().split(/\s+/) : ["*"]
    }
    function showFolder(path) {
        folder = path
        problem = ""
    }
    function submit() {
        var typed = nameField.text.trim()
        if (typed === "") {
            problem = saving ? "Type a name for the file." : "Choose a file."
            return
        }
        var path = UserFolders.resolve(folder, typed, saving ? defaultSuffix : "")
        if (UserFolders.isFolder(path)) {
            showFolder(path)
            nameField.text = ""
            return
        }
        if (!saving) {
            if (UserFolders.exists(path))
                finish(path)
            else
                problem = "There is no file " + path + "."
            return
        }
        var into = UserFolders.folderOf(path)
        if (!UserFolders.isFolder(into))
            problem = "There is no folder " + into + "."
        else if (UserFolders.exists(path))
            overwrite.ask(path)
        else
            finish(path)
    }
    function finish(path) {
        UserFolders.remember(kind, UserFolders.folderOf(path))
        close()
        chosen(path)
    }

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.s(820), parent ? parent.width * 0.9 : Theme.s(820))
    height: Math.min(Theme.s(600), parent ? parent.height * 0.9 : Theme.s(600))
    modal: true
    closePolicy: Popup.CloseOnEscape

    onAboutToShow: {
        showFolder(UserFolders.startFolder(kind, saving))
        nameField.text = saving ? defaultName : ""
        filterBox.currentIndex = 0
    }
    onOpened: {
        nameField.forceActiveFocus()
        // Typing replaces the offered name; the suffix is added to a name typed without one.
        nameField.selectAll()
    }

    // Return saves from anywhere in the dialog; the overwrite question, when open, is on top and
    // takes it instead.
    Shortcut {
        sequences: ["Return", "Enter"]
        enabled: chooser.opened && !overwrite.visible
        onActivated: chooser.submit()
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(8)

        Label {
            text: chooser.title
            color: Theme.textLink
            font.pixelSize: Theme.bigText
            font.bold: true
        }
        RowLayout {
            Layout.fillWidth: true
            Button {
                objectName: "folderUpButton"
                text: "\u2191 Up"
                enabled: chooser.folder !== "/"
                onClicked: chooser.showFolder(UserFolders.folderOf(chooser.folder))
            }
            Label {
                objectName: "fileChooserFolder"
                Layout.fillWidth: true
                text: chooser.folder
                elide: Text.ElideMiddle
            }
        }
        ListView {
            id: entries
            objectName: "fileChooserList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            model: FolderListModel {
                folder: UserFolders.urlOf(chooser.folder)
                nameFilters: chooser.globsOf(filterBox.currentText)
                showDirsFirst: true
                showDotAndDotDot: false
                sortCaseSensitive: false
            }
            delegate: ItemDelegate {
                required property string fileName
                required property string filePath
                required property bool fileIsDir
                width: ListView.view.width
                text: (fileIsDir ? "\uD83D\uDCC1 " : "    ") + fileName
                onClicked: {
                    if (fileIsDir)
                        chooser.showFolder(filePath)
                    else
                        nameField.text = fileName
                }
                onDoubleClicked: {
                    if (!fileIsDir) {
                        nameField.text = fileName
                        chooser.submit()
                    }
                }
            }
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(8)
            Label { text: "File name" }
            TextField {
                id: nameField
                objectName: "fileNameTextField"
                Layout.fillWidth: true
                selectByMouse: true
                onTextEdited: chooser.problem = ""
            }
        }
        Label {
            objectName: "fileChooserProblem"
            Layout.fillWidth: true
            visible: chooser.problem !== ""
            text: chooser.problem
            color: Theme.textLink
            wrapMode: Text.Wrap
        }
        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(8)
            ComboBox {
                id: filterBox
                Layout.fillWidth: true
                model: chooser.nameFilters
                visible: count > 0
            }
            Item { Layout.fillWidth: !filterBox.visible }
            Button {
                text: "Cancel"
                onClicked: chooser.close()
            }
            Button {
                objectName: "fileChooserAccept"
                text: chooser.saving ? "Save" : "Open"
                onClicked: chooser.submit()
            }
        }
    }

    Dialog {
        id: overwrite

        property string path: ""

        function ask(target) {
            path = target
            open()
        }

        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(Theme.s(640), parent ? parent.width * 0.9 : Theme.s(640))
        modal: true
        title: "Replace the file?"
        standardButtons: Dialog.Yes | Dialog.No
        onAccepted: chooser.finish(path)

        Label {
            objectName: "overwriteQuestion"
            width: parent.width
            wrapMode: Text.Wrap
            text: overwrite.path + " already exists. Replace it?"
        }
    }
}
