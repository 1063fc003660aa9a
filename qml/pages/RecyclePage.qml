import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/RoundRange.js" as RoundRange

// The sorption stage's temperature recycle: the three phase times, start and abort with
// confirmation, the phase and the time left, both relays, and the stage temperature over time.
// The SSPD channels are shorted for the recycle and their short state restored after it.
BasePage {
    id: page

    readonly property var recycle: Worker.recycle
    readonly property int maxPoints: 7200 ///< an hour of readings at two a second
    property real lowest: Infinity  ///< K, of the readings drawn
    property real highest: -Infinity

    function activate() {
        Worker.initializeGUI(mode)
        Worker.activateMode(mode)
        recycle.monitoring = true
    }
    function deactivate() {
        recycle.monitoring = false
    }
    function clock(seconds) {
        var s = Math.max(0, Math.round(seconds))
        var two = function (n) { return (n < 10 ? "0" : "") + n }
        return two(Math.floor(s / 3600)) + ":" + two(Math.floor(s / 60) % 60) + ":" + two(s % 60)
    }
    function addReading(time, stage) {
        if (!isFinite(stage) || stage <= 0)
            return
        if (stageSeries.count >= maxPoints)
            stageSeries.remove(0)
        stageSeries.append(time, stage)
        lowest = Math.min(lowest, stage)
        highest = Math.max(highest, stage)
        var pad = Math.max(0.05, (highest - lowest) * 0.1)
        // Fixed tick counts put ticks on round values only when both limits lie on a tick.
        var range = RoundRange.roundRange(Math.max(0, lowest - pad), highest + pad)
        axisY.tickCount = range.tickCount
        axisY.min = range.min
        axisY.max = range.max
        axisX.min = new Date(stageSeries.at(0).x)
        axisX.max = new Date(Math.max(time, stageSeries.at(0).x + 60000))
    }

    Connections {
        target: page.recycle
        function onTemperatureRead(time, stage, pump) { page.addReading(time, stage) }
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: Theme.s(16)
        spacing: Theme.s(16)

        ColumnLayout {
            Layout.preferredWidth: Math.max(Theme.s(420), page.width * 0.28)
            Layout.maximumWidth: Layout.preferredWidth
            Layout.fillHeight: true
            spacing: Theme.s(8)

            SectionTitle { text: "Times, min" }
            GridLayout {
                Layout.fillWidth: true
                columns: 2
                enabled: !page.recycle.running
                Label { text: "Heating" }
                NumberSpinBox { id: heating; objectName: "heatingMinutes"; Layout.fillWidth: true; decimals: 1; minimum: 0.1; maximum: 600; realValue: 20 }
                Label { text: "Thermalization" }
                NumberSpinBox { id: thermalization; objectName: "thermalizationMinutes"; Layout.fillWidth: true; decimals: 1; minimum: 0.1; maximum: 600; realValue: 10 }
                Label { text: "Cooling" }
                NumberSpinBox { id: cooling; objectName: "coolingMinutes"; Layout.fillWidth: true; decimals: 1; minimum: 0.1; maximum: 600; realValue: 30 }
            }
            RowLayout {
                Layout.fillWidth: true
                Button {
                    objectName: "startRecycleButton"
                    Layout.fillWidth: true
                    text: "Start"
                    enabled: page.recycle.available && !page.recycle.running
                    onClicked: startDialog.open()
                }
                Button {
                    objectName: "abortRecycleButton"
                    Layout.fillWidth: true
                    text: "Abort"
                    enabled: page.recycle.running
                    onClicked: abortDialog.open()
                }
            }

            SectionTitle { text: "Recycle" }
            Label {
                objectName: "recyclePhase"
                Layout.fillWidth: true
                text: page.recycle.stateText !== "" ? page.recycle.stateText : (page.recycle.available ? "Idle" : "No four-channel temperature module")
                font.pixelSize: Theme.bigText
            }
            Label {
                objectName: "recycleRemaining"
                Layout.fillWidth: true
                visible: page.recycle.running
                text: "Remaining " + page.clock(page.recycle.phaseRemainingSeconds) + " (recycle "
                      + page.clock(page.recycle.remainingSeconds) + ")"
            }
            ProgressBar {
                Layout.fillWidth: true
                from: 0
                to: 1
                value: page.recycle.progress
            }
            GridLayout {
                Layout.fillWidth: true
                columns: 3
                StatusLamp { status: page.recycle.relay1On ? 1 : 0 }
                Label { text: "Relay 1, pump heater"; Layout.fillWidth: true }
                Label { text: page.recycle.relay1On ? "on" : "off" }
                StatusLamp { status: page.recycle.relay2On ? 1 : 0 }
                Label { text: "Relay 2, heat switch"; Layout.fillWidth: true }
                Label { text: page.recycle.relay2On ? "on" : "off" }
            }
            Label {
                objectName: "integrityWarning"
                Layout.fillWidth: true
                visible: !page.recycle.integrityOk
                text: "A relay does not follow its command: check the module and the cryostat."
                color: Theme.lampFault
                wrapMode: Text.Wrap
                elide: Text.ElideNone
            }
            Label {
                Layout.fillWidth: true
                text: "Stage " + page.recycle.stageTemperature.toFixed(3) + " K, pump "
                      + page.recycle.pumpTemperature.toFixed(2) + " K"
            }
            Label {
                objectName: "recycleOutcome"
                Layout.fillWidth: true
                text: page.recycle.outcome
                wrapMode: Text.Wrap
                elide: Text.ElideNone
            }
            Item { Layout.fillHeight: true }
        }

        ChartView {
            id: chart
            Layout.fillWidth: true
            Layout.fillHeight: true
            theme: ChartView.ChartThemeDark
            backgroundColor: Theme.background
            plotAreaColor: Theme.background
            backgroundRoundness: 0
            antialiasing: false
            legend.visible: false
            animationOptions: ChartView.NoAnimation

            DateTimeAxis {
                id: axisX
                format: "hh:mm:ss"
                tickCount: Math.max(2, Math.min(7, Math.floor(chart.plotArea.width / Theme.s(130)) + 1))
                titleText: "Time, hh:mm:ss"
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            ValueAxis {
                id: axisY
                min: 0
                max: 5
                tickCount: 6
                labelFormat: "%.3g"
                titleText: "Stage temperature, K"
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            LineSeries {
                id: stageSeries
                axisX: axisX
                axisY: axisY
                color: Theme.textLink
            }
        }
    }

    TextDialog {
        id: startDialog
        objectName: "startRecycleDialog"
        title: "Start recycle"
        standardButtons: Dialog.Ok | Dialog.Cancel
        text: "Heat " + heating.shownValue + " min, thermalize " + thermalization.shownValue + " min, cool "
              + cooling.shownValue + " min.\nEvery SSPD channel is shorted for the recycle and its short state restored after it."
        onAccepted: page.recycle.start(heating.shownValue * 60, thermalization.shownValue * 60, cooling.shownValue * 60)
    }
    TextDialog {
        id: abortDialog
        objectName: "abortRecycleDialog"
        title: "Abort recycle"
        standardButtons: Dialog.Yes | Dialog.No
        text: "Stop the recycle? The pump heater is switched off, the heat switch closed and the SSPD channels restored."
        onAccepted: page.recycle.abort()
    }
}
