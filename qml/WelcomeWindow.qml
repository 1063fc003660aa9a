import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import MyWorker 1.0
import VantrelTheme
import "logic/Address.js" as Address

// Shown at start and after a disconnection: connects to the last crate on its own; when that
// does not succeed in time, offers a form to choose another crate.
Window {
    id: welcome

    readonly property int autoConnectDelayMs: 1000 ///< after the splash has loaded, ms
    readonly property int connectWaitMs: 4000      ///< before the form is offered, ms
    property bool formShown: false
    /// The worker's status while this window shows; the main window's pages keep theirs.
    property string status: ""

    /// The crate is connected; the main window takes over.
    signal crateConnected()

    function showForm() {
        status = ""
        formShown = true
        show()
        raise()
    }

    // The address field starts from the crate last used, so Connect works at once.
    onFormShownChanged: if (formShown) address.editText = Worker.CurrentAddress

    flags: Qt.Window | Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    color: "transparent"
    width: Theme.sx(640)
    height: Theme.sy(400)
    x: (Screen.width - width) / 2
    y: (Screen.height - height) / 2
    visible: true
    title: "SNSPD Vantrel Lab"

    Timer {
        id: autoConnect
        interval: welcome.autoConnectDelayMs
        onTriggered: {
            Worker.connectToVantrel(Worker.CurrentAddress)
            connectWait.start()
        }
    }
    Timer {
        id: connectWait
        interval: welcome.connectWaitMs
        onTriggered: welcome.formShown = true
    }
    Connections {
        target: Worker
        function onStatusTextChanged() {
            if (welcome.visible)
                welcome.status = Worker.statusText
        }
        function onConnected() {
            connectWait.stop()
            welcome.hide()
            welcome.crateConnected()
        }
    }

    // Carries the application font to the controls (a Window has no font of its own).
    Pane {
        anchors.fill: parent
        padding: 0
        background: null
        font.family: Theme.fontFamily
        font.pixelSize: Theme.normalText

        Loader {
            id: splash
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            height: welcome.formShown ? parent.height * 0.34 : parent.height
            Behavior on height { NumberAnimation { duration: 200 } }
            sourceComponent: Worker.producerType === Worker.ProducerGlimmor ? glimmor
                           : Worker.producerType === Worker.ProducerPinecove ? pinecove
                           : Worker.producerType === Worker.ProducerNorvane ? norvane : neutral
            onLoaded: autoConnect.start()
        }
        Component { id: norvane; Splash { maker: "NORVANE"; status: welcome.formShown ? "" : welcome.status } }
        Component { id: glimmor; Splash { maker: "GLIMMOR"; accent: "#3FA9F5"; status: welcome.formShown ? "" : welcome.status } }
        Component { id: pinecove; Splash { maker: "PINECOVE"; accent: "#6CBF00"; status: welcome.formShown ? "" : welcome.status } }
        Component { id: neutral; Splash { status: welcome.formShown ? "" : welcome.status } }

        Rectangle {
            objectName: "connectionForm"
            anchors.top: splash.bottom
            anchors.topMargin: Theme.s(6)
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            visible: welcome.formShown
            enabled: Worker.GUIEnable
            color: Theme.background
            border.color: Theme.borderIdle
            radius: Theme.s(8)

            ColumnLayout {
                anchors.fill: parent
                anchors.margins: Theme.s(14)
                spacing: Theme.s(8)

                Label { text: "Crate address"; font.pixelSize: Theme.smallText }
                RowLayout {
                    Layout.fillWidth: true
                    ComboBox {
                        id: address
                        objectName: "addressBox"
                        Layout.fillWidth: true
                        editable: true
                        model: Worker.AvailableVantrels
                        validator: RegularExpressionValidator { regularExpression: /[0-9.]{0,15}/ }
                        onAccepted: if (Address.isIpv4(editText)) Worker.connectToVantrel(editText.trim())
                    }
                    BusyIndicator {
                        objectName: "busyIndicator"
                        Layout.preferredWidth: Theme.s(40)
                        Layout.preferredHeight: Theme.s(40)
                        // Scans and connection attempts disable the form until they end.
                        running: !Worker.GUIEnable
                    }
                    Button {
                        objectName: "refreshButton"
                        text: "\u21BB"
                        font.pixelSize: Theme.bigText
                        onClicked: Worker.updateAvailableVantrelList()
                    }
                }
                Label {
                    objectName: "formStatus"
                    Layout.fillWidth: true
                    text: welcome.status
                    wrapMode: Text.Wrap
                    font.pixelSize: Theme.smallText
                    color: Theme.textIdle
                }
                Item { Layout.fillHeight: true }
                RowLayout {
                    Layout.fillWidth: true
                    Button {
                        objectName: "connectButton"
                        Layout.fillWidth: true
                        text: "Connect"
                        enabled: Address.isIpv4(address.editText)
                        onClicked: Worker.connectToVantrel(address.editText.trim())
                    }
                    Button {
                        Layout.fillWidth: true
                        text: "Close"
                        onClicked: Qt.quit()
                    }
                }
            }
        }
    }
}
