import QtQuick
import QtTest
import "../../qml/logic/ChartMath.js" as ChartMath
import "../../qml/logic/NumberText.js" as NumberText

TestCase {
    name: "ChartMath"

    // Span taken up to 1, 2, 5 or 10 x 10^e, its ninth rounded at 1.5, 3 and 7.
    function test_niceInterval_data() {
        return [
            { tag: "0..100", min: 0, max: 100, expected: 10 },
            { tag: "0..150", min: 0, max: 150, expected: 20 },
            { tag: "0..30", min: 0, max: 30, expected: 5 },
            { tag: "0..1", min: 0, max: 1, expected: 0.1 },
            { tag: "-2500..2500", min: -2500, max: 2500, expected: 500 },
            { tag: "0..0.002", min: 0, max: 0.002, expected: 0.0002 },
            { tag: "empty span", min: 5, max: 5, expected: 1 },
            { tag: "reversed", min: 5, max: 1, expected: 1 },
        ]
    }
    function test_niceInterval(data) {
        fuzzyCompare(ChartMath.niceInterval(data.min, data.max), data.expected, data.expected * 1e-9)
    }

    function test_padLinear() {
        var range = ChartMath.padLinear(0, 18)
        compare(range.min, -1)
        compare(range.max, 19)
    }

    function test_padLog_data() {
        return [
            { tag: "two decades", low: 1, high: 100, min: Math.pow(10, -1 / 9), max: Math.pow(10, 2 + 1 / 9) },
            { tag: "low not positive", low: 0, high: 100, min: 0.1, max: 100 },
            { tag: "both not positive", low: -5, high: 0, min: 0.1, max: 0.2 },
            { tag: "collapsed", low: 0, high: 0.05, min: 0.1, max: 0.2 },
        ]
    }
    function test_padLog(data) {
        var range = ChartMath.padLog(data.low, data.high)
        fuzzyCompare(range.min, data.min, data.min * 1e-9)
        fuzzyCompare(range.max, data.max, data.max * 1e-9)
    }

    function test_padLog_staysFiniteForHugeLimits() {
        var range = ChartMath.padLog(1e-9, 1e20)
        verify(isFinite(range.min) && range.min > 0)
        verify(isFinite(range.max) && range.max > range.min)
    }

    // A logarithmic axis labels only powers of ten: a range must hold two of them.
    function test_logRange_data() {
        return [
            { tag: "inside one decade", low: 2, high: 8, min: 1, max: 10 },
            { tag: "count rates", low: 1443000, high: 1450000, min: 1e6, max: 1e7 },
            { tag: "one power inside", low: 5, high: 50, min: 1, max: 100 },
            { tag: "decades kept", low: 1, high: 100, min: Math.pow(10, -1 / 9), max: Math.pow(10, 2 + 1 / 9) },
        ]
    }
    function test_logRange(data) {
        var range = ChartMath.logRange(data.low, data.high)
        fuzzyCompare(range.min, data.min, data.min * 1e-9)
        fuzzyCompare(range.max, data.max, data.max * 1e-9)
    }

    // Neighbouring tick labels printed with the chosen format never read alike.
    function test_labelFormat_data() {
        return [
            { tag: "temperature", low: 2.4485, high: 2.4495 },
            { tag: "count rate", low: 1443000, high: 1444600 },
            { tag: "around zero", low: -0.003, high: 0.002 },
            { tag: "plain", low: 0, high: 100 },
        ]
    }
    function test_labelFormat(data) {
        var range = ChartMath.padLinear(data.low, data.high)
        var interval = ChartMath.niceInterval(range.min, range.max)
        var format = ChartMath.labelFormat(range.min, range.max, interval)
        verify(/^%\.\d+g$/.test(format), format)
        var digits = Number(format.slice(2, -1))
        verify(digits >= 4)
        var labels = []
        for (var tick = Math.ceil(range.min / interval) * interval; tick <= range.max; tick += interval)
            labels.push(NumberText.formatG(Math.abs(tick) < interval / 2 ? 0 : tick, digits))
        verify(labels.length >= 3, labels)
        for (var i = 1; i < labels.length; ++i)
            verify(labels[i] !== labels[i - 1], labels.join(" "))
    }

    // Round local times: whole 1, 2, 5, 10, 15, 30 s, minutes, hours.
    function test_timeTicks_data() {
        return [
            { tag: "30 s window", span: 30000, maxTicks: 7, offset: 0, step: 5000 },
            { tag: "23.5 s", span: 23500, maxTicks: 6, offset: 0, step: 5000 },
            { tag: "20 min", span: 1200000, maxTicks: 7, offset: 0, step: 300000 },
            { tag: "half-hour zone", span: 7200000, maxTicks: 9, offset: 19800000, step: 900000 },
            { tag: "three days", span: 3 * 86400000, maxTicks: 4, offset: 3600000, step: 86400000 },
        ]
    }
    function test_timeTicks(data) {
        var step = ChartMath.timeStep(data.span, data.maxTicks)
        compare(step, data.step)
        var left = 1765100003217 // an odd time of day
        var ticks = ChartMath.timeTicks(left, left + data.span, step, data.offset)
        verify(ticks.length >= 2 && ticks.length <= data.maxTicks, ticks.length)
        verify(ticks[0] >= left && ticks[0] - step < left)
        ticks.forEach(function (t) { compare((t + data.offset) % step, 0) })
    }

    function test_isTimeRange() {
        verify(!ChartMath.isTimeRange(1e-9, 100), "placeholder range")
        verify(ChartMath.isTimeRange(1765100003217, 1765100033217))
    }

    function test_seriesColor_wrapsAfterTheLast() {
        compare(ChartMath.seriesColor(0), "#FF4300")
        compare(ChartMath.seriesColor(10), "#EC0082")
        compare(ChartMath.seriesColor(11), "#FF4300")
    }

    // New channels take the colours in turn; a channel's later runs keep its colour.
    function test_channelColor() {
        var first = ChartMath.channelColor("SSPD 41")
        var second = ChartMath.channelColor("Temperature 42")
        verify(first !== second)
        compare(ChartMath.seriesColors.indexOf(second), (ChartMath.seriesColors.indexOf(first) + 1) % 11)
        compare(ChartMath.channelColor("SSPD 41_2"), first)
        compare(ChartMath.channelColor("SSPD 41"), first)
    }

    function test_previousName_numbersRunsOfOneName() {
        var taken = []
        for (var run = 0; run < 3; ++run)
            taken.push(ChartMath.previousName("SSPD 1", taken.concat(["SSPD 2 (previous)"])))
        compare(taken, ["SSPD 1 (previous)", "SSPD 1 (previous 2)", "SSPD 1 (previous 3)"])
    }

    function test_channelOfSeriesName_data() {
        return [
            { tag: "time series", name: "SSPD 12", expected: 12 },
            { tag: "sweep series", name: "SSPD 3_2", expected: 3 },
            { tag: "temperature", name: "Temperature 5", expected: 5 },
            { tag: "no number", name: "dummy", expected: -1 },
        ]
    }
    function test_channelOfSeriesName(data) {
        compare(ChartMath.channelOfSeriesName(data.name), data.expected)
    }
}
