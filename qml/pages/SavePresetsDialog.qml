import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"

// Marks the SSPD channels whose settings go into a presets file, then asks where to save it.
Dialog {
    id: dialog

    title: "Save presets"
    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(620), parent ? parent.width * 0.9 : Theme.s(620))
    height: Math.min(Theme.s(700), parent ? parent.height * 0.9 : Theme.s(700))

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(8)

        ListView {
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: DataModel
            ScrollBar.vertical: ScrollBar {}
            delegate: CheckBox {
                required property var model
                objectName: "presetMark" + model.address
                readonly property bool sspd: model.type === Datalist.DeviceTypeSspdM0
                                             || model.type === Datalist.DeviceTypeSspdM1
                width: ListView.view.width
                height: sspd ? implicitHeight : 0
                visible: sspd
                text: "SSPD " + model.address + (model.Description ? "  " + model.Description : "")
                checked: Boolean(model.restore)
                onToggled: model.restore = checked
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Item { Layout.fillWidth: true }
            Button { text: "Save..."; onClicked: fileDialog.open() }
            Button { text: "Close"; onClicked: dialog.close() }
        }
    }

    FileChooser {
        id: fileDialog
        title: "Save presets"
        kind: "presets"
        defaultName: "preset.json"
        defaultSuffix: "json"
        nameFilters: ["Presets (*.json)", "All files (*)"]
        onChosen: (path) => {
            Worker.savePresets(path)
            dialog.close()
        }
    }
}
