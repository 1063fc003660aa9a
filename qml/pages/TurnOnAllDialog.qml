import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../logic/ModuleKinds.js" as ModuleKinds

// Switches the marked channels on or off at once.
Dialog {
    id: dialog

    title: "Turn on/off all"
    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(620), parent ? parent.width * 0.9 : Theme.s(620))
    height: Math.min(Theme.s(700), parent ? parent.height * 0.9 : Theme.s(700))

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(8)

        ListView {
            objectName: "turnOnAllList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: DataModel
            ScrollBar.vertical: ScrollBar {}
            // Only modules whose operate switch the program drives are offered.
            delegate: CheckBox {
                required property var model
                width: ListView.view.width
                height: visible ? implicitHeight : 0
                visible: ModuleKinds.isControlled(model.type)
                objectName: "turnOnAll" + model.address
                text: "#" + model.address + (model.Description ? "  " + model.Description : "")
                checked: Boolean(model.selected)
                onToggled: model.selected = checked
            }
        }
        RowLayout {
            Layout.fillWidth: true
            Button { text: "Select All"; onClicked: DataModel.selectAll(true) }
            Button { text: "Deselect All"; onClicked: DataModel.selectAll(false) }
            Item { Layout.fillWidth: true }
        }
        RowLayout {
            Layout.fillWidth: true
            Item { Layout.fillWidth: true }
            Button { text: "Turn ON"; onClicked: { Worker.turnOnAllSelectedChannels(true); dialog.close() } }
            Button { text: "Turn OFF"; onClicked: { Worker.turnOnAllSelectedChannels(false); dialog.close() } }
            Button { text: "Close"; onClicked: dialog.close() }
        }
    }
}
