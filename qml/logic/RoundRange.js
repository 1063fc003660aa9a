.pragma library
.import "ChartMath.js" as ChartMath

// Linear axes with fixed tick counts whose ticks still fall on round values.

/// Share of a tick interval below which a limit counts as lying on the tick already.
var onTickTolerance = 1e-9

/// The range from `low` to `high` widened outwards to whole multiples of its nice tick interval:
/// { min, max, interval, tickCount }, with tickCount putting one tick on each multiple.
function roundRange(low, high) {
    var interval = ChartMath.niceInterval(low, high)
    var min = Math.floor(low / interval + onTickTolerance) * interval
    var max = Math.ceil(high / interval - onTickTolerance) * interval
    if (!(max > min))
        max = min + interval
    return { min: min, max: max, interval: interval, tickCount: Math.round((max - min) / interval) + 1 }
}
