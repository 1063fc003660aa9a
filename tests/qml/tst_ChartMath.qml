import QtQuick
import QtTest
import "../../qml/logic/ChartMath.js" as ChartMath

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

    function test_seriesColor_wrapsAfterTheLast() {
        compare(ChartMath.seriesColor(0), "#FF4300")
        compare(ChartMath.seriesColor(10), "#EC0082")
        compare(ChartMath.seriesColor(11), "#FF4300")
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
