import QtQuick
import QtQuick.Controls
import VantrelTheme
import "../logic/ChartReadout.js" as ChartReadout

// Zoom, pan and cursor read-out over a ChartView's plot area. Left drag draws a rubber band to
// zoom into, the wheel zooms about the pointer, right or middle drag pans. The chosen range is
// written to `widget.viewRange` ({x: {min, max}, y: {min, max}}, padded for display like the data
// range); null means "follow the data", so autoscale never fights a zoomed view. Hovering shows
// the nearest point with its units.
MouseArea {
    id: area

    property var chartView: null
    property var widget: null
    property real wheelFactor: 1.25
    /// Nearest point under the pointer: {series, point}, or null.
    property var nearest: null

    x: chartView ? chartView.plotArea.x : 0
    y: chartView ? chartView.plotArea.y : 0
    width: chartView ? chartView.plotArea.width : 0
    height: chartView ? chartView.plotArea.height : 0
    acceptedButtons: Qt.LeftButton | Qt.RightButton | Qt.MiddleButton
    hoverEnabled: true

    property point pressAt: Qt.point(0, 0)
    property var pressRange: null
    property bool panning: false

    function toAxis(value, log) { return log ? Math.log10(value) : value }
    function fromAxis(value, log) { return log ? Math.pow(10, value) : value }
    /// The range in force, before the widget pads it for display.
    function currentRange() {
        return { x: { min: widget.rectLeft, max: widget.rectRight }, y: { min: widget.rectBottom, max: widget.rectTop } }
    }
    /// The value at a point of this area (plot coordinates).
    function valueAt(px, py) {
        var v = chartView.mapToValue(Qt.point(px + area.x, py + area.y), widget.referenceSeries())
        return { x: v.x, y: v.y }
    }
    /// A range scaled by `factor` about `at`, on a linear or logarithmic axis.
    function scaled(range, at, factor, log) {
        var a = toAxis(at, log), lo = toAxis(range.min, log), hi = toAxis(range.max, log)
        return { min: fromAxis(a - (a - lo) * factor, log), max: fromAxis(a + (hi - a) * factor, log) }
    }
    /// A range moved by `fraction` of its shown span (`padding`: shown span over range span).
    function shifted(range, fraction, padding, log) {
        var lo = toAxis(range.min, log), hi = toAxis(range.max, log)
        var d = fraction * (hi - lo) * padding
        return { min: fromAxis(lo + d, log), max: fromAxis(hi + d, log) }
    }
    function findNearest(px, py) {
        var best = null
        var bestDistance = Theme.s(30)
        widget.seriesList.forEach(function (series) {
            // A histogram's bars are read from their upper line.
            var points = series.upperSeries ? series.upperSeries : series
            for (var i = 0; i < points.count; ++i) {
                var p = chartView.mapToPosition(points.at(i), widget.referenceSeries())
                var d = Math.hypot(p.x - area.x - px, p.y - area.y - py)
                if (d < bestDistance) {
                    bestDistance = d
                    best = { series: series, point: points.at(i) }
                }
            }
        })
        nearest = best
    }

    onPressed: function (mouse) {
        pressAt = Qt.point(mouse.x, mouse.y)
        pressRange = currentRange()
        panning = mouse.button !== Qt.LeftButton
        band.visible = !panning
    }
    onPositionChanged: function (mouse) {
        if (!pressed) {
            hoverTimer.at = Qt.point(mouse.x, mouse.y)
            hoverTimer.restart()
            return
        }
        if (panning) {
            var padding = widget.padded ? 20 / 18 : 1
            widget.viewRange = {
                x: shifted(pressRange.x, -(mouse.x - pressAt.x) / width, widget.timeAxis ? 1 : padding, widget.logX),
                y: shifted(pressRange.y, (mouse.y - pressAt.y) / height, padding, widget.logY)
            }
            return
        }
        band.x = Math.min(pressAt.x, mouse.x)
        band.y = Math.min(pressAt.y, mouse.y)
        band.width = Math.abs(mouse.x - pressAt.x)
        band.height = Math.abs(mouse.y - pressAt.y)
    }
    onReleased: function (mouse) {
        band.visible = false
        if (panning || band.width < Theme.s(8) || band.height < Theme.s(8))
            return
        var a = valueAt(band.x, band.y + band.height)
        var b = valueAt(band.x + band.width, band.y)
        widget.viewRange = { x: { min: a.x, max: b.x }, y: { min: a.y, max: b.y } }
        band.width = 0
        band.height = 0
    }
    onWheel: function (wheel) {
        var at = valueAt(wheel.x, wheel.y)
        var factor = wheel.angleDelta.y > 0 ? 1 / wheelFactor : wheelFactor
        var range = currentRange()
        widget.viewRange = { x: scaled(range.x, at.x, factor, widget.logX),
                             y: scaled(range.y, at.y, factor, widget.logY) }
    }
    onExited: nearest = null

    Timer {
        id: hoverTimer
        property point at: Qt.point(0, 0)
        interval: 50
        onTriggered: area.findNearest(at.x, at.y)
    }
    Rectangle {
        id: band
        visible: false
        color: "transparent"
        border.color: Theme.borderHovered
    }
    Rectangle {
        visible: area.nearest !== null
        x: area.nearest ? Math.min(area.width - width, Math.max(0, area.mouseX + Theme.s(12))) : 0
        y: area.nearest ? Math.max(0, area.mouseY - height - Theme.s(8)) : 0
        width: readout.implicitWidth + Theme.s(12)
        height: readout.implicitHeight + Theme.s(8)
        color: Theme.controlBackgroundHovered
        border.color: Theme.borderIdle
        Label {
            id: readout
            objectName: "cursorReadout"
            anchors.centerIn: parent
            font.pixelSize: Theme.smallText
            text: area.nearest ? area.nearest.series.name + "\nx: "
                                 + ChartReadout.valueText(area.nearest.point.x, widget.xTitle, widget.timeAxis)
                                 + "\ny: " + ChartReadout.valueText(area.nearest.point.y, widget.yTitle, false)
                               : ""
        }
    }
}
