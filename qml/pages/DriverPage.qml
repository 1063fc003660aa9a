import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/ModuleKinds.js" as ModuleKinds
import "../logic/NumberText.js" as NumberText

// One module of the active channel: its parameter panel and a live trace of its main reading.
BasePage {
    id: page

    property string titlePrefix: ""
    property string seriesPrefix: ""
    property string readingKey: ""
    property string yTitle: ""
    property bool logYAllowed: false
    /// Text of the main reading; "---" while there is none.
    property var readingText: function (value, valid) { return valid ? String(value) : "---" }

    readonly property int channel: Worker.settings.activeChannel
    property var reading: undefined
    property alias hasReading: staleMark.hasValue
    property bool latched: false
    /// The module's last read failed: its panel values are the last known, not readings.
    property bool faulted: false

    function activate() {
        Worker.initializeGUI(mode)
        Worker.settings.logY = chart.logY
        chart.removeAllSeries()
        chart.addSeries(seriesPrefix + channel, ChartView.SeriesTypeLine)
        Worker.settings.series = chart.seriesList
        refreshReading()
        Worker.activateMode(mode)
    }

    function rowOfChannel() {
        for (var row = 0; row < DataModel.rowCount(); ++row) {
            if (DataModel.data(row, "address") === channel)
                return row
        }
        return -1
    }
    function refreshReading() {
        var row = rowOfChannel()
        reading = row < 0 ? undefined : DataModel.data(row, readingKey)
        latched = row >= 0 && DataModel.data(row, "latched") === true
        faulted = row >= 0 && ModuleKinds.lampKind(DataModel.data(row, "status")) === "fault"
    }

    Connections {
        target: DataModel
        function onDataChanged() { page.refreshReading() }
        function onModelReset() { page.refreshReading() }
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: Theme.s(16)
        spacing: Theme.s(16)

        ColumnLayout {
            Layout.preferredWidth: Math.max(Theme.s(560), page.width * 0.32)
            Layout.maximumWidth: Layout.preferredWidth
            Layout.fillHeight: true
            SectionTitle { text: page.titlePrefix + page.channel }
            ParameterPanel {
                objectName: "parameterPanel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                model: DataModel.driverModel
                hasReading: !page.faulted
                stale: staleMark.stale
                onParameterEdited: function (name, value) { Worker.setParameter(Worker.settings.activeChannel, name, value) }
            }
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            RowLayout {
                Layout.alignment: Qt.AlignRight
                spacing: Theme.s(16)
                LatchedMark {
                    visible: page.hasReading && page.latched
                    onReset: Worker.resetLatch(page.channel)
                }
                StaleMark {
                    id: staleMark
                    model: DataModel
                    addresses: [page.channel]
                    periodMs: Worker.settings.timeConstant * 1000
                    learnsPeriod: true
                }
                Label {
                    objectName: "readingText"
                    text: page.readingText(page.reading, page.hasReading)
                    font.pixelSize: Theme.hugeText
                    color: NumberText.isReading(page.reading, page.hasReading) ? Theme.textHovered : Theme.textBlocked
                }
            }
            ChartWidget {
                id: chart
                Layout.fillWidth: true
                Layout.fillHeight: true
                rect: Worker.settings.chartRect
                padded: false
                timeAxis: true
                logYAllowed: page.logYAllowed
                xTitle: "Time, hh:mm:ss"
                yTitle: page.yTitle
                onLogYChanged: Worker.settings.logY = logY
            }
            // The range of this one trace is always fitted; typed limits hold only the view.
            ChartYLimits {
                Layout.fillWidth: true
                oneRow: true
                autoscale: chart.fixedY === null
                low: chart.rectBottom
                high: chart.rectTop
                onAutoscaleToggled: function (on) { chart.fixedY = on ? null : { "min": chart.rectBottom, "max": chart.rectTop } }
                onLowEdited: function (value) { chart.fixedY = { "min": value, "max": chart.rectTop } }
                onHighEdited: function (value) { chart.fixedY = { "min": chart.rectBottom, "max": value } }
            }
        }
    }
}
