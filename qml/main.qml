import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import MyWorker 1.0

ApplicationWindow {
    id: window

    readonly property int autoConnectDelayMs: 1000

    width: 1280
    height: 800
    minimumWidth: 640
    minimumHeight: 480
    visible: true
    title: qsTr("VantrelLab %1").arg(Worker.WorkerVersion)
    color: "#1e2227"

    Timer {
        interval: window.autoConnectDelayMs
        running: true
        onTriggered: Worker.connectToVantrel(Worker.CurrentAddress)
    }

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(parent.width - 64, 420)
        spacing: 16

        Label {
            Layout.fillWidth: true
            text: "VantrelLab"
            color: "#e8eaed"
            font.pixelSize: 36
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
        }

        Label {
            id: statusLabel
            objectName: "statusLabel"
            Layout.fillWidth: true
            text: Worker.statusText
            color: "#9aa0a6"
            font.pixelSize: 16
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }

        TextField {
            id: addressField
            objectName: "addressField"
            Layout.fillWidth: true
            enabled: Worker.GUIEnable
            text: Worker.CurrentAddress
            placeholderText: qsTr("Crate address")
            font.pixelSize: 16
            selectByMouse: true
            onAccepted: Worker.connectToVantrel(text)
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 12

            Button {
                objectName: "connectButton"
                Layout.fillWidth: true
                enabled: Worker.GUIEnable
                text: qsTr("Connect")
                onClicked: Worker.connectToVantrel(addressField.text)
            }
            Button {
                Layout.fillWidth: true
                text: qsTr("Close")
                onClicked: Qt.quit()
            }
        }
    }
}
