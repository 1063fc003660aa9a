import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VantrelTheme
import "../controls"
import "../logic/ModuleKinds.js" as ModuleKinds
import "../logic/NumberText.js" as NumberText

// One module of the home page's list: address, status lamp and operate switch for every
// module, then the bias current and count rate of a detector channel or the temperature of
// a temperature module.
ItemDelegate {
    id: root

    property int address: 0
    property var type: ModuleKinds.typeSspdM0
    property var status: 0
    property var operate: false
    property var current: 0      ///< bias current, A
    property var cps: undefined  ///< count rate, 1/s
    property var temperature: undefined ///< K; undefined also while the module does not measure it
    property var latched: false  ///< the detector sits in the normal state
    property string description: ""
    readonly property string kind: ModuleKinds.delegateKind(type)
    /// A good read has come since the list was built or the module last failed.
    property alias hasReading: staleMark.hasValue
    /// Wall clock of the page, ms since the epoch, shared by the "stale" marks of the list.
    property double nowMs: 0
    /// The home page reads every module once a second.
    readonly property int pollPeriodMs: 1000

    signal parameterChanged(string name, var value)
    signal openDriver()
    signal resetLatch()

    onStatusChanged: staleMark.noteStatus(status)
    // A row made while its module's last read is fresh (the list scrolled it in) has a reading.
    Component.onCompleted: staleMark.noteStatus(status)

    height: Theme.s(72)
    hoverEnabled: true
    onClicked: if (ModuleKinds.driverTab(type) !== "") openDriver()

    background: Rectangle {
        color: root.hovered ? Theme.controlBackgroundHovered : Theme.controlBackground
        border.color: root.hovered ? Theme.borderHovered : Theme.borderIdle
        border.width: 1
        radius: Theme.s(4)
    }

    contentItem: RowLayout {
        spacing: Theme.s(18)

        StatusLamp { status: root.status }
        Label {
            Layout.preferredWidth: Theme.s(90)
            text: "#" + root.address
            font.pixelSize: Theme.bigText
            font.bold: true
            color: Theme.textHovered
        }
        Label {
            Layout.preferredWidth: Theme.s(200)
            text: root.kind === "sspd" ? "SSPD" : root.kind === "temperature" ? "Temperature" : (root.description || "Module")
            font.pixelSize: Theme.normalText
        }
        // Every row keeps its switch; where the program does not drive the module it is
        // disabled, and hovering says why (a disabled control gets no hover, its holder does).
        Item {
            implicitWidth: operateSwitch.implicitWidth
            implicitHeight: operateSwitch.implicitHeight
            HoverHandler { id: switchHover }
            Switch {
                id: operateSwitch
                objectName: "operateSwitch" + root.address
                anchors.fill: parent
                text: "Operate"
                enabled: ModuleKinds.isControlled(root.type)
                // What the module last reported, never what was asked: off while it has not
                // answered (or has stopped answering), on only once it says it operates.
                readonly property bool reported: root.hasReading && Boolean(root.operate)
                checked: reported
                onToggled: {
                    root.parameterChanged("operate", checked)
                    checked = Qt.binding(function () { return operateSwitch.reported })
                    root.openDriver()
                }
                ToolTip.visible: !enabled && switchHover.hovered
                ToolTip.text: "This module is not controlled from this screen"
            }
        }
        Loader {
            Layout.fillWidth: true
            sourceComponent: root.kind === "sspd" ? sspdPart : root.kind === "temperature" ? temperaturePart : null
        }
        StaleMark {
            id: staleMark
            periodMs: root.pollPeriodMs
            nowMs: root.nowMs
            ownClock: false
        }
        Label {
            text: "\u203A"
            visible: ModuleKinds.driverTab(root.type) !== ""
            font.pixelSize: Theme.hugeText
            color: root.hovered ? Theme.textLink : Theme.textIdle
        }
    }

    Component {
        id: sspdPart
        RowLayout {
            spacing: Theme.s(14)
            Label { text: "Bias, \u03BCA" }
            NumberSpinBox {
                objectName: "biasSpinBox"
                Layout.preferredWidth: Theme.s(210)
                decimals: 1
                minimum: -ModuleKinds.biasLimitMicroAmps
                maximum: ModuleKinds.biasLimitMicroAmps
                realValue: Number(root.current) * 1e6
                onEdited: function (microAmps) { root.parameterChanged("current", microAmps * 1e-6) }
            }
            Item { Layout.fillWidth: true }
            LatchedMark {
                visible: root.hasReading && Boolean(root.latched)
                onReset: root.resetLatch()
            }
            Label {
                objectName: "countRateText" + root.address
                Layout.preferredWidth: Theme.s(260)
                horizontalAlignment: Text.AlignRight
                text: NumberText.countRateText(root.cps, root.hasReading)
                font.pixelSize: Theme.biggestText
                color: NumberText.isReading(root.cps, root.hasReading) ? Theme.textHovered : Theme.textBlocked
            }
        }
    }
    Component {
        id: temperaturePart
        RowLayout {
            Item { Layout.fillWidth: true }
            Label {
                objectName: "temperatureText" + root.address
                Layout.preferredWidth: Theme.s(260)
                horizontalAlignment: Text.AlignRight
                text: NumberText.temperatureText(root.temperature, root.hasReading)
                font.pixelSize: Theme.biggestText
                color: NumberText.isReading(root.temperature, root.hasReading) ? Theme.textHovered : Theme.textBlocked
            }
        }
    }
}
