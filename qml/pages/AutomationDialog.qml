import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VantrelTheme

// Lets scripts on this computer drive the program through the local automation interface.
// `target` is the program's automation switch; the program sets it, the screen tests do not.
Dialog {
    id: dialog

    property var target: null

    title: "Automation interface"
    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(620), parent ? parent.width * 0.9 : Theme.s(620))

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(8)

        Label {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: "Scripts on this computer (127.0.0.1 only) may list the modules, read them, set their "
                  + "parameters and run traces and sweeps, as the screens do. Each request must carry the "
                  + "token the program writes for the current user."
        }
        RowLayout {
            Switch {
                objectName: "automationSwitch"
                text: "Allow scripts"
                enabled: dialog.target !== null
                checked: dialog.target ? dialog.target.enabled : false
                onToggled: dialog.target.enabled = checked
            }
            Item { Layout.fillWidth: true }
            Label { text: "Port" }
            SpinBox {
                objectName: "automationPort"
                enabled: dialog.target !== null
                from: 1024
                to: 65535
                editable: true
                value: dialog.target ? dialog.target.port : 9890
                textFromValue: function (value) { return String(value) }
                onValueModified: dialog.target.port = value
            }
        }
        Label {
            Layout.fillWidth: true
            wrapMode: Text.WrapAnywhere
            color: Theme.textBlocked
            font.pixelSize: Theme.smallText
            text: dialog.target ? dialog.target.statusText : "Off"
        }
        RowLayout {
            Item { Layout.fillWidth: true }
            Button { text: "Close"; onClicked: dialog.close() }
        }
    }
}
