import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/VersionHistory.js" as VersionHistory

// The program's version and what each version brought.
Popup {
    id: popup

    objectName: "versionPopup"
    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(Theme.s(760), parent ? parent.width * 0.9 : Theme.s(760))
    height: Math.min(Theme.s(760), parent ? parent.height * 0.9 : Theme.s(760))

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(10)

        RowLayout {
            Layout.fillWidth: true
            SectionTitle {
                text: "SNSPD Vantrel Lab " + Worker.WorkerVersion
                Layout.fillWidth: true
            }
            Button {
                objectName: "versionClose"
                text: "Close"
                onClicked: popup.close()
            }
        }
        Label {
            Layout.fillWidth: true
            wrapMode: Text.Wrap
            text: Updater.updateAvailable ? "Version " + Updater.newVersion + " is available."
                                          : "The crate's modules, their live count rates and temperatures, sweeps, calibration and firmware."
            color: Updater.updateAvailable ? Theme.textLink : Theme.textIdle
        }
        ListView {
            objectName: "versionHistory"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: Theme.s(12)
            model: VersionHistory.entries
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}
            delegate: ColumnLayout {
                required property var modelData
                width: ListView.view.width - Theme.s(14)
                spacing: Theme.s(4)
                Label {
                    text: "Version " + modelData.version
                    font.bold: true
                    color: modelData.version === Worker.WorkerVersion ? Theme.textLink : Theme.textHovered
                }
                Repeater {
                    model: modelData.changes
                    delegate: Label {
                        required property string modelData
                        Layout.fillWidth: true
                        Layout.leftMargin: Theme.s(16)
                        wrapMode: Text.Wrap
                        text: "\u2022  " + modelData
                    }
                }
            }
        }
    }
}
