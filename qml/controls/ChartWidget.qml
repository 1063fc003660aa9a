import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtCharts
import MyWorker 1.0
import VantrelTheme
import "../logic/ChartMath.js" as ChartMath

// Chart of the measurement screens. Two "dummy" series keep the linear and the logarithmic
// axes alive without data; every real series is added after them and moves between the axes
// with the log buttons. The visible range follows `rect` (a MyChartRect).
//
// A line series is a trace that holds every point (what the screens fill, fit and export) and
// is drawn through a second series in the chart that gets only the points the plot's pixel
// columns can show (SeriesThinner), refreshed when the range moves. Scatter and area series
// are drawn as they are.
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
    /// The real series (traces with every point), in the order they were added.
    property var seriesList: []
    /// The series drawn in the chart for each of seriesList: a thinned copy for a line series,
    /// the series itself otherwise.
    property var shownList: []

    /// A range chosen by zooming or panning ({x: {min, max}, y: {min, max}}); null follows `rect`.
    property var viewRange: null
    /// Vertical limits the user typed ({min, max}); null follows `rect`. The zoom still wins.
    property var fixedY: null
    /// What a saved picture shows: the legend and the plot, without the tools.
    readonly property Item picture: pictureArea
    /// Series of earlier runs, dimmed, kept until cleared.
    property var previousSeries: []
    /// The series drawn for each of previousSeries.
    property var previousShown: []
    readonly property real dimmedDarker: 2.5

    readonly property real rectLeft: viewRange ? viewRange.x.min : rect ? rect.left : 0
    readonly property real rectRight: viewRange ? viewRange.x.max : rect ? rect.right : 1
    readonly property real rectBottom: viewRange ? viewRange.y.min : fixedY ? fixedY.min : rect ? rect.bottom : 0
    readonly property real rectTop: viewRange ? viewRange.y.max : fixedY ? fixedY.max : rect ? rect.top : 1
    readonly property var linearX: padded ? ChartMath.padLinear(rectLeft, rectRight) : { "min": rectLeft, "max": rectRight }
    readonly property var linearY: padded ? ChartMath.padLinear(rectBottom, rectTop) : { "min": rectBottom, "max": rectTop }
    readonly property var logRangeX: ChartMath.logRange(rectLeft, rectRight)
    readonly property var logRangeY: ChartMath.logRange(rectBottom, rectTop)
    /// Before the first reading the range is a placeholder near the epoch, not a time of day.
    readonly property bool hasTimeRange: ChartMath.isTimeRange(rectLeft, rectRight)
    /// Time ticks on round local times, at most one per label width.
    readonly property real timeStepMs: ChartMath.timeStep(rectRight - rectLeft, Math.max(2, Math.floor(chart.plotArea.width / Theme.s(130)) + 1))
    readonly property var timeTicks: hasTimeRange ? ChartMath.timeTicks(rectLeft, rectRight, timeStepMs, -new Date(rectLeft).getTimezoneOffset() * 60000) : []

    /// Adds a series of ChartView.SeriesTypeLine, SeriesTypeScatter or SeriesTypeArea and
    /// returns the one to fill.
    function addSeries(name, type) {
        var series = chart.createSeries(type, name, currentXAxis(), currentYAxis())
        var color = ChartMath.channelColor(name)
        series.color = color
        var trace = type === ChartView.SeriesTypeLine ? traceComponent.createObject(widget, { "name": name, "color": color }) : series
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
        shownList = shownList.concat([series])
        seriesList = seriesList.concat([trace])
        return trace
    }
    function dropShown(trace, shown) {
        chart.removeSeries(shown)
        if (trace !== shown)
            trace.destroy()
    }
    function removeSeries(series) {
        var index = seriesList.indexOf(series)
        if (index < 0)
            return
        var shown = shownList[index]
        seriesList = seriesList.filter(function (s, i) { return i !== index })
        shownList = shownList.filter(function (s, i) { return i !== index })
        dropShown(series, shown)
    }
    function removeAllSeries() {
        var traces = seriesList
        var shown = shownList
        seriesList = []
        shownList = []
        traces.forEach(function (s, i) { dropShown(s, shown[i]) })
    }
    /// Dims the series that hold points and keeps them as earlier runs; with `renew`, a fresh
    /// series of each name takes its place.
    function keepAsPrevious(renew) {
        var traces = seriesList
        var shown = shownList
        var keptTraces = []
        var keptShown = []
        seriesList = []
        shownList = []
        traces.forEach(function (trace, i) {
            // An area series holds its points in its upper line.
            if ((trace.upperSeries ? trace.upperSeries : trace).count > 0) {
                keptTraces.push(trace)
                keptShown.push(shown[i])
            } else {
                seriesList = seriesList.concat([trace])
                shownList = shownList.concat([shown[i]])
            }
        })
        var taken = previousSeries.map(function (s) { return s.name })
        keptTraces.forEach(function (trace, i) {
            if (renew)
                addSeries(trace.name, keptShown[i].type)
            var name = ChartMath.previousName(trace.name, taken)
            taken.push(name)
            dim(trace, name)
            if (keptShown[i] !== trace)
                dim(keptShown[i], name)
        })
        previousSeries = previousSeries.concat(keptTraces)
        previousShown = previousShown.concat(keptShown)
    }
    function dim(series, name) {
        series.name = name
        // Darker rather than translucent: OpenGL series ignore opacity.
        series.color = Qt.darker(series.color, dimmedDarker)
        if (series.borderColor !== undefined)
            series.borderColor = Qt.darker(series.borderColor, dimmedDarker)
    }
    function clearPrevious() {
        var traces = previousSeries
        var shown = previousShown
        previousSeries = []
        previousShown = []
        traces.forEach(function (trace, i) { dropShown(trace, shown[i]) })
    }
    /// What the data export writes: earlier runs first, then the current series.
    function exportedSeries() {
        return previousSeries.concat(seriesList)
    }
    /// What the SVG export draws: every point of each trace, in its look, on the axes shown now.
    function drawingDescription() {
        var x = currentXAxis()
        var y = currentYAxis()
        // The ticks as drawn here: a linear axis' spacing and format, the time axis' labelled times.
        return { "series": exportedSeries(), "drawn": previousShown.concat(shownList),
                 "xTitle": xTitle, "yTitle": yTitle, "xMin": x.min, "xMax": x.max,
                 "yMin": y.min, "yMax": y.max, "logX": logX && !timeAxis, "logY": logY,
                 "timeAxis": timeAxis, "timeTicks": timeTicks,
                 "xInterval": x.tickInterval, "yInterval": y.tickInterval,
                 "xLabelFormat": x.labelFormat, "yLabelFormat": y.labelFormat,
                 "width": chart.width, "height": chart.height }
    }
    /// A series on the axes in use, for mapping between the plot and values.
    function referenceSeries() {
        return logY ? logDummy : linearDummy
    }
    function clearPoints() {
        seriesList.forEach(function (s) { s.clear() })
        refreshShown()
    }
    /// Copies what the plot can show of each trace into its drawn series.
    function refreshShown() {
        var range = timeAxis ? { "min": rectLeft, "max": rectRight } : (logX ? logRangeX : linearX)
        // Pixel columns are linear in x; on a logarithmic axis the traces are drawn whole.
        var columns = timeAxis || !logX ? Math.round(chart.plotArea.width) : 0
        var shown = shownList.concat(previousShown)
        seriesList.concat(previousSeries).forEach(function (trace, i) {
            if (trace !== shown[i])
                SeriesThinner.showThinned(trace, shown[i], range.min, range.max, columns)
        })
    }
    /// Sets a linear axis with dynamic ticks. The axis lays its ticks out on every single
    /// change, so the interval is widened before the range moves and narrowed after it: an
    /// intermediate range (new minimum, old maximum) with the old interval could otherwise ask
    /// for millions of ticks and freeze the program.
    function setLinearAxis(axis, min, max, interval, anchor) {
        if (!isFinite(min) || !isFinite(max) || !(max > min) || !(interval > 0))
            return
        var span = Math.max(max, axis.max) - Math.min(min, axis.min)
        axis.tickInterval = Math.max(axis.tickInterval, interval, span / ChartMath.maxTicks)
        axis.tickAnchor = anchor
        axis.min = min
        axis.max = max
        axis.tickInterval = interval
    }
    function applyRanges() {
        setLinearAxis(valueX, linearX.min, linearX.max, ChartMath.niceInterval(linearX.min, linearX.max), 0)
        setLinearAxis(valueY, linearY.min, linearY.max, ChartMath.niceInterval(linearY.min, linearY.max), 0)
        setLinearAxis(timeX, rectLeft, rectRight, timeStepMs, timeTicks.length > 0 ? timeTicks[0] : 0)
        refreshShown()
    }
    // Several limits change at once on every update: apply them once after the last.
    function scheduleRefresh() { Qt.callLater(applyRanges) }
    onRectLeftChanged: scheduleRefresh()
    onRectRightChanged: scheduleRefresh()
    onRectBottomChanged: scheduleRefresh()
    onRectTopChanged: scheduleRefresh()
    onPaddedChanged: scheduleRefresh()
    onTimeStepMsChanged: scheduleRefresh()
    Component.onCompleted: applyRanges()
    Connections {
        target: chart
        function onPlotAreaChanged() { widget.scheduleRefresh() }
    }

    Component {
        id: traceComponent
        LineSeries {}
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
        shownList.concat(previousShown).forEach(function (s) {
            s.axisX = currentXAxis()
            s.axisY = currentYAxis()
        })
    }
    onLogXChanged: { moveSeriesToAxes(); scheduleRefresh() }
    onLogYChanged: moveSeriesToAxes()

    ColumnLayout {
        anchors.fill: parent
        spacing: Theme.s(4)

        RowLayout {
            Layout.fillWidth: true
            spacing: Theme.s(6)

            ChartToolBar {
                Layout.fillWidth: true
                widget: widget
            }
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

        // Opaque, so that a saved picture reads as the screen does.
        Rectangle {
            id: pictureArea
            objectName: "chartPicture"
            Layout.fillWidth: true
            Layout.fillHeight: true
            color: Theme.background

            ColumnLayout {
                anchors.fill: parent
                spacing: Theme.s(4)

                Flow {
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
                }

                Item {
                    Layout.fillWidth: true
                    Layout.fillHeight: true

                    ChartView {
                        id: chart
                        anchors.fill: parent
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
                        margins.bottom: widget.timeAxis ? timeLabels.titleRoom : 0

                        ValueAxis {
                            id: valueX
                            visible: !widget.timeAxis && !widget.logX
                            // Ranges and intervals are set by applyRanges(), never by bindings.
                            min: 0
                            max: 1
                            tickInterval: 1
                            tickType: ValueAxis.TicksDynamic
                            tickAnchor: 0
                            minorTickCount: 3
                            labelFormat: ChartMath.labelFormat(min, max, tickInterval)
                            // A hidden axis keeps no title: its title would be drawn where the axis is not.
                            titleVisible: visible
                            titleText: visible ? widget.xTitle : ""
                            labelsFont.pixelSize: Theme.smallText
                            labelsColor: Theme.textIdle
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
                            // A hidden axis keeps no title: its title would be drawn where the axis is not.
                            titleVisible: visible
                            titleText: visible ? widget.xTitle : ""
                            labelsFont.pixelSize: Theme.smallText
                            labelsColor: Theme.textIdle
                            titleFont.pixelSize: Theme.smallText
                        }
                        // Time in ms since the epoch, taken as it is, without padding. The grid follows round
                        // times; the labels and the title are drawn by TimeAxisLabels, as this axis can only
                        // print numbers, and its own labels stay transparent to keep their room.
                        ValueAxis {
                            id: timeX
                            visible: widget.timeAxis
                            // Ranges and intervals are set by applyRanges(), never by bindings.
                            min: 0
                            max: 1
                            tickInterval: 1
                            tickType: ValueAxis.TicksDynamic
                            minorTickCount: 0
                            labelFormat: "%.0f"
                            labelsColor: "transparent"
                            titleVisible: false
                            labelsFont.pixelSize: Theme.smallText
                            titleFont.pixelSize: Theme.smallText
                        }
                        ValueAxis {
                            id: valueY
                            visible: !widget.logY
                            // Ranges and intervals are set by applyRanges(), never by bindings.
                            min: 0
                            max: 1
                            tickInterval: 1
                            tickType: ValueAxis.TicksDynamic
                            tickAnchor: 0
                            minorTickCount: 3
                            labelFormat: ChartMath.labelFormat(min, max, tickInterval)
                            titleVisible: visible
                            titleText: visible ? widget.yTitle : ""
                            labelsFont.pixelSize: Theme.smallText
                            labelsColor: Theme.textIdle
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
                            titleVisible: visible
                            titleText: visible ? widget.yTitle : ""
                            labelsFont.pixelSize: Theme.smallText
                            labelsColor: Theme.textIdle
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
                    TimeAxisLabels {
                        id: timeLabels
                        anchors.fill: chart
                        title: widget.xTitle
                        visible: widget.timeAxis
                        plotArea: chart.plotArea
                        minMs: widget.rectLeft
                        maxMs: widget.rectRight
                        ticks: widget.timeTicks
                        color: Theme.textIdle
                        pixelSize: Theme.smallText
                    }
                }
            }
        }
    }
}
