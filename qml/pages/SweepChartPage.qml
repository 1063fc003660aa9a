import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/ChartMath.js" as ChartMath

// A sweep or the histogram of one SSPD channel: pick the channel, edit the sweep parameters,
// start. Each start adds a new series; earlier runs stay on the chart, dimmed, until cleared.
BasePage {
    id: page

    property string xTitle: ""
    property string yTitle: ""
    property bool logYAllowed: false
    property int seriesType: ChartView.SeriesTypeScatter
    property bool padded: true
    readonly property string seriesPrefix: "SSPD "
    /// Bus addresses of the SSPD modules of the crate.
    property var channels: []
    property int runs: 0
    /// How far this page's own sweep has come, percent: a fresh page shows 0, not the progress
    /// another page's sweep reached.
    property real runProgress: 0

    function refreshChannels() {
        var found = []
        for (var row = 0; row < DataModel.rowCount(); ++row) {
            var type = DataModel.data(row, "type")
            if (type === Datalist.DeviceTypeSspdM0 || type === Datalist.DeviceTypeSspdM1)
                found.push(DataModel.data(row, "address"))
        }
        channels = found
    }
    function activate() {
        refreshChannels()
        Worker.initializeGUI(mode)
        Worker.settings.logY = chart.logY
        Worker.settings.series = chart.seriesList
        Worker.activateMode(reading ? mode : Worker.WorkerModeNoAction)
    }
    /// Whether a run of that name is on the chart, current or dimmed ("SSPD 3 (previous)").
    function nameTaken(name) {
        return chart.exportedSeries().some(function (s) { return s.name === name || s.name.startsWith(name + " ") })
    }
    /// "SSPD 3" for the channel's first run, then "SSPD 3_2", "SSPD 3_3" ...
    function newSeriesName(address) {
        var name = seriesPrefix + address
        for (var run = 2; nameTaken(name); ++run)
            name = seriesPrefix + address + "_" + run
        return name
    }
    function start() {
        if (channelBox.currentIndex < 0)
            return
        chart.keepAsPrevious(false)
        var series = chart.addSeries(newSeriesName(channels[channelBox.currentIndex]), seriesType)
        Worker.settings.series = chart.seriesList
        Worker.settings.activeChannel = ChartMath.channelOfSeriesName(series.name)
        runProgress = 0
        Worker.activateMode(mode)
        reading = true
        startReading()
    }
    function stop() {
        Worker.activateMode(Worker.WorkerModeNoAction)
        reading = false
        stopReading()
    }

    Connections {
        target: DataModel
        function onModelReset() { page.refreshChannels() }
        function onRowsInserted() { page.refreshChannels() }
        function onRowsRemoved() { page.refreshChannels() }
    }
    Connections {
        target: Worker
        function onSweepFinished() {
            if (page.reading)
                page.stop()
        }
        function onProgressChanged() {
            if (page.reading)
                page.runProgress = Worker.progress
        }
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: Theme.s(16)
        spacing: Theme.s(16)

        ColumnLayout {
            Layout.preferredWidth: Math.max(Theme.s(480), page.width * 0.28)
            Layout.maximumWidth: Layout.preferredWidth
            Layout.fillHeight: true
            spacing: Theme.s(8)

            SectionTitle { text: "Channel" }
            ComboBox {
                id: channelBox
                objectName: "channelBox"
                Layout.fillWidth: true
                enabled: !page.reading
                model: page.channels.map(function (address) { return page.seriesPrefix + address })
            }
            SectionTitle { text: "Sweep Parameter:" }
            ParameterPanel {
                objectName: "sweepParameterPanel"
                Layout.fillWidth: true
                Layout.fillHeight: true
                enabled: !page.reading
                model: Worker.settings.SweepParameterModel
            }
            Button {
                objectName: "startButton"
                Layout.fillWidth: true
                text: page.reading ? "Stop" : "Start"
                enabled: page.reading || channelBox.currentIndex >= 0
                onClicked: page.reading ? page.stop() : page.start()
            }
            // Every point of the chart, also after a zoom; a running sweep widens it further.
            Button {
                objectName: "fitAllButton"
                Layout.fillWidth: true
                text: "Fit all"
                onClicked: {
                    chart.viewRange = null
                    Worker.rescaleChartRec(page.mode)
                }
            }
            ProgressBar {
                objectName: "sweepProgress"
                Layout.fillWidth: true
                visible: page.mode !== Worker.WorkerModeHistogram
                from: 0
                to: 100
                value: page.runProgress
            }
            // After a sweep: set the channel as it was before it (the sweep leaves its last step).
            ColumnLayout {
                objectName: "sweepReturnOffer"
                Layout.fillWidth: true
                visible: Worker.sweepReturn.offered && Worker.sweepReturn.mode === page.mode && !page.reading
                Label {
                    objectName: "sweepReturnText"
                    Layout.fillWidth: true
                    text: Worker.sweepReturn.text
                    wrapMode: Text.Wrap
                    font.pixelSize: Theme.smallText
                }
                RowLayout {
                    Button {
                        objectName: "returnButton"
                        text: "Return"
                        onClicked: Worker.sweepReturn.accept()
                    }
                    Button {
                        text: "Keep"
                        onClicked: Worker.sweepReturn.decline()
                    }
                }
            }
            StaleMark {
                model: DataModel
                addresses: page.reading ? [Worker.settings.activeChannel] : []
                learnsPeriod: true
            }
            Label {
                objectName: "pageStatus"
                Layout.fillWidth: true
                Layout.preferredHeight: Theme.s(100)
                text: page.statusText
                wrapMode: Text.Wrap
                elide: Text.ElideNone
                verticalAlignment: Text.AlignTop
                font.pixelSize: Theme.smallText
            }
            ConnectionIndicator {}
        }
        ChartWidget {
            id: chart
            objectName: "sweepChart"
            Layout.fillWidth: true
            Layout.fillHeight: true
            rect: Worker.settings.chartRect
            padded: page.padded
            logYAllowed: page.logYAllowed
            xTitle: page.xTitle
            yTitle: page.yTitle
            onLogYChanged: Worker.settings.logY = logY
        }
    }
}
