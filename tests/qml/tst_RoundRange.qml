import QtQuick
import QtTest
import "../../qml/logic/RoundRange.js" as RoundRange

TestCase {
    name: "RoundRange"

    function test_ticksOnRoundValues_data() {
        return [
            // Stage readings that once gave ticks at 2.05, 3.25 and 4.45 K.
            { tag: "recycle stage", low: 1.82, high: 4.68, min: 1.5, max: 5, interval: 0.5 },
            { tag: "flat reading", low: 4.15, high: 4.25, min: 4.15, max: 4.25, interval: 0.01 },
            { tag: "limits on ticks", low: 0, high: 300, min: 0, max: 300, interval: 50 },
            { tag: "warm cryostat", low: 3.9, high: 290, min: 0, max: 300, interval: 50 },
        ]
    }
    function test_ticksOnRoundValues(data) {
        var range = RoundRange.roundRange(data.low, data.high)
        fuzzyCompare(range.interval, data.interval, 1e-12)
        fuzzyCompare(range.min, data.min, 1e-9)
        fuzzyCompare(range.max, data.max, 1e-9)
        verify(range.min <= data.low && range.max >= data.high)
        // Evenly spread ticks from min to max then land on multiples of the interval.
        compare(range.tickCount, Math.round((data.max - data.min) / data.interval) + 1)
    }
}
