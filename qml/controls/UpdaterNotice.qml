import QtQuick
import QtQuick.Controls
import MyWorker 1.0
import VantrelTheme

// A warning sign while a newer program version is available. Confirming hands over to the
// updater, which needs the program gone: a busy overlay holds the window until it quits. If
// the updater cannot start, the program stays and says why.
Button {
    id: notice

    objectName: "updaterNotice"
    visible: Updater.updateAvailable
    text: "\u26A0  Update " + Updater.newVersion
    font.pixelSize: Theme.smallText
    onClicked: confirm.open()
    contentItem: Text {
        text: notice.text
        font: notice.font
        color: notice.hovered ? Theme.textHovered : Theme.textLink
        verticalAlignment: Text.AlignVCenter
    }

    property bool handingOver: false

    Connections {
        target: Updater
        enabled: notice.handingOver
        function onCheckFailed(error) {
            notice.handingOver = false
            failure.showError("Error", error)
        }
    }

    Dialog {
        id: confirm
        objectName: "updaterConfirm"
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: "Program update"
        footer: DialogButtonBox {
            alignment: Qt.AlignRight
            background: Item {}
            Button {
                objectName: "updaterInstall"
                text: "Install now"
                DialogButtonBox.buttonRole: DialogButtonBox.AcceptRole
            }
            Button {
                text: "Later"
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole
            }
        }
        width: Math.min(Theme.s(640), parent ? parent.width * 0.9 : Theme.s(640))
        Label {
            width: parent.width
            wrapMode: Text.Wrap
            text: "Version " + Updater.newVersion + " is available. Close the program and install it now?"
        }
        onAccepted: {
            notice.handingOver = true
            Updater.startUpdate()
        }
    }

    Popup {
        parent: Overlay.overlay
        anchors.centerIn: parent
        modal: true
        visible: notice.handingOver
        closePolicy: Popup.NoAutoClose
        BusyIndicator {
            running: notice.handingOver
        }
    }

    ErrorDialog { id: failure; parent: Overlay.overlay }
}
