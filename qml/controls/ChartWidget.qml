import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import VantrelTheme
import "../logic/ChartMath.js" as ChartMath

// Chart of the measurement screens. Two "dummy" series keep the linear and the logarithmic
// axes alive without data; every real series is added after them and moves between the axes
// with the log buttons. The visible range follows `rect` (a MyChartRect).
Item {
    id: widget

    property var rect: null
    property bool timeAxis: false      ///< horizontal axis shows the time of day
    property bool padded: true         ///< pad the range by 1/18 of its span on each side
    property bool logXAllowed: false
    property bool logYAllowed: false
    property bool logX: false
    property bool logY: false
    property string xTitle: ""
    property string yTitle: ""
    /// The real series, in the order they were added.
    property var seriesList: []
    property int addedCount: 0         ///< picks the next colour

    /// A range chosen by zooming or panning ({x: {min, max}, y: {min, max}}); null follows `rect`.
    property var viewRange: null
    /// Series of earlier runs, dimmed, kept until cleared.
    property var previousSeries: []
    readonly property real dimmedDarker: 2.5

    readonly property real rectLeft: viewRange ? viewRange.x.min : rect ? rect.left : 0
    readonly property real rectRight: viewRange ? viewRange.x.max : rect ? rect.right : 1
    readonly property real rectBottom: viewRange ? viewRange.y.min : rect ? rect.bottom : 0
    readonly property real rectTop: viewRange ? viewRange.y.max : rect ? rect.top : 1
    readonly property var linearX: padded ? ChartMath.padLinear(rectLeft, rectRight) : { "min": rectLeft, "max": rectRight }
    readonly property var linearY: padded ? ChartMath.padLinear(rectBottom, rectTop) : { "min": rectBottom, "max": rectTop }
    readonly property var logRangeX: ChartMath.padLog(rectLeft, rectRight)
    readonly property var logRangeY: ChartMath.padLog(rectBottom, rectTop)

    /// Adds a series of ChartView.SeriesTypeLine, SeriesTypeScatter or SeriesTypeArea.
    function addSeries(name, type) {
        var series = chart.createSeries(type, name, currentXAxis(), currentYAxis())
        var color = ChartMath.seriesColor(addedCount)
        addedCount += 1
        series.color = color
        if (type === ChartView.SeriesTypeScatter) {
            series.markerShape = ScatterSeries.MarkerShapeCircle
            series.markerSize = Theme.s(10)
            series.borderColor = Qt.darker(color, 2)
        } else if (type === ChartView.SeriesTypeArea) {
            series.borderWidth = 0
        } else {
            series.width = 2
        }
        // OpenGL drawing is much faster, but shows nothing on the software scene graph; area
        // series cannot use it.
        if (type !== ChartView.SeriesTypeArea)
            series.useOpenGL = Qt.binding(function () { return chart.GraphicsInfo.api === GraphicsInfo.OpenGL })
        seriesList = seriesList.concat([series])
        return series
    }
    function removeSeries(series) {
        seriesList = seriesList.filter(function (s) { return s !== series })
        chart.removeSeries(series)
    }
    function removeAllSeries() {
        var old = seriesList
        seriesList = []
        addedCount = 0
        old.forEach(function (s) { chart.removeSeries(s) })
    }
    /// Dims the series that hold points and keeps them as earlier runs; with `renew`, a fresh
    /// series of each name takes its place.
    function keepAsPrevious(renew) {
        var kept = seriesList.filter(function (s) { return s.count > 0 })
        kept.forEach(function (s) {
            seriesList = seriesList.filter(function (t) { return t !== s })
            if (renew)
                addSeries(s.name, s.type)
            s.name = s.name + " (previous)"
            // Darker rather than translucent: OpenGL series ignore opacity.
            s.color = Qt.darker(s.color, dimmedDarker)
            if (s.borderColor !== undefined)
                s.borderColor = Qt.darker(s.borderColor, dimmedDarker)
        })
        previousSeries = previousSeries.concat(kept)
    }
    function clearPrevious() {
        var old = previousSeries
        previousSeries = []
        old.forEach(function (s) { chart.removeSeries(s) })
    }
    /// What the data export writes: earlier runs first, then the current series.
    function exportedSeries() {
        return previousSeries.concat(seriesList)
    }
    /// A series on the axes in use, for mapping between the plot and values.
    function referenceSeries() {
        return logY ? logDummy : linearDummy
    }
    function clearPoints() {
        seriesList.forEach(function (s) { s.clear() })
    }
    function findSeries(name) {
        for (var i = 0; i < seriesList.length; ++i) {
            if (seriesList[i].name === name)
                return seriesList[i]
        }
        return null
    }
    function currentXAxis() { return timeAxis ? timeX : (logX ? logAxisX : valueX) }
    function currentYAxis() { return logY ? logAxisY : valueY }
    function moveSeriesToAxes() {
        seriesList.forEach(function (s) {
            s.axisX = currentXAxis()
            s.axisY = currentYAxis()
        })
    }
    onLogXChanged: moveSeriesToAxes()
    onLogYChanged: moveSeriesToAxes()

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(4)

        ChartToolBar {
            Layout.fillWidth: true
            widget: widget
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(8)

            Repeater {
                model: widget.previousSeries.concat(widget.seriesList)
                delegate: RowLayout {
                    required property var modelData
                    spacing: Theme.s(4)
                    Rectangle { width: Theme.s(16); height: width; color: modelData.color }
                    Label { text: modelData.name; font.pixelSize: Theme.smallText }
                }
            }
            Item { Layout.fillWidth: true }
            Button {
                text: "log X"
                visible: widget.logXAllowed && !widget.timeAxis
                checkable: true
                checked: widget.logX
                onToggled: widget.logX = checked
            }
            Button {
                text: "log Y"
                visible: widget.logYAllowed
                checkable: true
                checked: widget.logY
                onToggled: widget.logY = checked
            }
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
            margins.left: 0
            margins.right: Theme.s(8)
            margins.top: Theme.s(8)
            margins.bottom: 0

            ValueAxis {
                id: valueX
                visible: !widget.timeAxis && !widget.logX
                min: widget.linearX.min
                max: widget.linearX.max
                tickType: ValueAxis.TicksDynamic
                tickAnchor: 0
                tickInterval: ChartMath.niceInterval(min, max)
                minorTickCount: 3
                labelFormat: "%.4g"
                titleText: widget.xTitle
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            LogValueAxis {
                id: logAxisX
                visible: !widget.timeAxis && widget.logX
                base: 10
                min: widget.logRangeX.min
                max: widget.logRangeX.max
                minorTickCount: 8
                labelFormat: "%.4g"
                titleText: widget.xTitle
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            DateTimeAxis {
                id: timeX
                visible: widget.timeAxis
                format: "hh:mm:ss"
                // The time axis takes the range as it is, without padding.
                min: new Date(widget.rectLeft)
                max: new Date(widget.rectRight)
                // Room for one "hh:mm:ss" label per tick.
                tickCount: Math.max(2, Math.min(7, Math.floor(chart.plotArea.width / Theme.s(130)) + 1))
                titleText: widget.xTitle
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            ValueAxis {
                id: valueY
                visible: !widget.logY
                min: widget.linearY.min
                max: widget.linearY.max
                tickType: ValueAxis.TicksDynamic
                tickAnchor: 0
                tickInterval: ChartMath.niceInterval(min, max)
                minorTickCount: 3
                labelFormat: "%.4g"
                titleText: widget.yTitle
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            LogValueAxis {
                id: logAxisY
                visible: widget.logY
                base: 10
                min: widget.logRangeY.min
                max: widget.logRangeY.max
                minorTickCount: 8
                labelFormat: "%.4g"
                titleText: widget.yTitle
                labelsFont.pixelSize: Theme.smallText
                titleFont.pixelSize: Theme.smallText
            }
            LineSeries {
                id: linearDummy
                name: "dummy"
                axisX: widget.timeAxis ? timeX : valueX
                axisY: valueY
            }
            LineSeries {
                id: logDummy
                name: "dummy"
                axisX: widget.timeAxis ? timeX : logAxisX
                axisY: logAxisY
            }
            ChartZoomArea {
                chartView: chart
                widget: widget
            }
        }
    }
}
