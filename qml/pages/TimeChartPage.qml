import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../logic/ChartMath.js" as ChartMath

// A reading of several channels against time: pick the channels, set the options, start.
BasePage {
    id: page

    property string seriesPrefix: "SSPD "
    property var acceptedTypes: []
    property string yTitle: ""
    property bool logYAllowed: false

    function activate() {
        Worker.initializeGUI(mode)
        Worker.settings.series = chart.seriesList
        Worker.settings.logY = chart.logY
        Worker.activateMode(reading ? mode : Worker.WorkerModeNoAction)
    }
    function start() {
        // The last run's traces stay on the chart, dimmed, until cleared.
        chart.keepAsPrevious(true)
        Worker.settings.series = chart.seriesList.filter(function (s) { return !s.name.startsWith("dummy") })
        if (chart.seriesList.length > 0)
            Worker.settings.activeChannel = ChartMath.channelOfSeriesName(chart.seriesList[0].name)
        Worker.activateMode(mode)
        reading = true
        startReading()
    }
    function stop() {
        Worker.activateMode(Worker.WorkerModeNoAction)
        reading = false
        stopReading()
    }
    function setChannel(address, on) {
        var name = seriesPrefix + address
        var series = chart.findSeries(name)
        if (on && !series)
            chart.addSeries(name, ChartView.SeriesTypeLine)
        else if (!on && series)
            chart.removeSeries(series)
    }

    RowLayout {
        anchors.fill: parent
        anchors.margins: Theme.s(16)
        spacing: Theme.s(16)

        ColumnLayout {
            Layout.preferredWidth: Math.max(Theme.s(400), page.width * 0.26)
            Layout.maximumWidth: Layout.preferredWidth
            Layout.fillHeight: true
            spacing: Theme.s(8)

            SectionTitle { text: "Channels" }
            ListView {
                id: channels
                objectName: "channelList"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.minimumHeight: Theme.s(120)
                enabled: !page.reading
                clip: true
                model: DataModel
                ScrollBar.vertical: ScrollBar {}
                delegate: CheckBox {
                    required property var model
                    readonly property bool accepted: page.acceptedTypes.indexOf(model.type) >= 0
                    width: ListView.view.width
                    height: accepted ? implicitHeight : 0
                    visible: accepted
                    text: page.seriesPrefix + model.address
                    checked: chart.seriesList.some(function (s) { return s.name === text })
                    onToggled: page.setChannel(model.address, checked)
                }
            }
            SectionTitle { text: "Graph options" }
            GraphOptions {
                Layout.fillWidth: true
                reading: page.reading
                mode: page.mode
            }
            Button {
                objectName: "startButton"
                Layout.fillWidth: true
                text: page.reading ? "Stop" : "Start"
                enabled: page.reading || chart.seriesList.length > 0
                onClicked: page.reading ? page.stop() : page.start()
            }
            StaleMark {
                model: DataModel
                // Every pass waits the time constant, then reads each channel.
                addresses: page.reading ? chart.seriesList.map(function (s) { return ChartMath.channelOfSeriesName(s.name) }) : []
                periodMs: Worker.settings.timeConstant * 1000
            }
            Label {
                objectName: "pageStatus"
                Layout.fillWidth: true
                Layout.preferredHeight: Theme.s(120)
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
            Layout.fillWidth: true
            Layout.fillHeight: true
            rect: Worker.settings.chartRect
            timeAxis: true
            logYAllowed: page.logYAllowed
            xTitle: "Time, hh:mm:ss"
            yTitle: page.yTitle
            onLogYChanged: Worker.settings.logY = logY
        }
    }
}
