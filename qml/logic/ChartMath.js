.pragma library

// Axis arithmetic of the chart widget: padded ranges, "nice" tick intervals, series colours
// and names.

var seriesColors = ["#FF4300", "#0075B9", "#FFC000", "#7E3095", "#6CBF00", "#FF0000",
                    "#009CC3", "#FF8000", "#404EA3", "#FAE300", "#EC0082"]

/// Most ticks a linear axis may be asked for, even for a moment.
var maxTicks = 100

/// Limits used by a logarithmic axis when a limit is not positive.
var logFallbackMin = 0.1
var logFallbackMax = 0.2

/// Rounds `value` to 1, 2, 5 or 10 x 10^e; with `round` the thresholds are 1.5, 3 and 7,
/// otherwise the result is the next such number not below the value.
function niceNumber(value, round) {
    var exponent = Math.floor(Math.log10(value))
    var fraction = value / Math.pow(10, exponent)
    var nice
    if (round)
        nice = fraction < 1.5 ? 1 : fraction < 3 ? 2 : fraction < 7 ? 5 : 10
    else
        nice = fraction <= 1 ? 1 : fraction <= 2 ? 2 : fraction <= 5 ? 5 : 10
    return nice * Math.pow(10, exponent)
}

/// Major tick interval of a linear axis from `min` to `max`: a ninth of the span taken up to a
/// nice number, rounded to a nice number again. 1 for an empty or invalid span.
function niceInterval(min, max) {
    var span = max - min
    if (!isFinite(span) || span <= 0)
        return 1
    return niceNumber(niceNumber(span, false) / 9, true)
}

/// Linear range padded by 1/18 of its span on each side.
function padLinear(low, high) {
    return { min: (19 * low - high) / 18, max: (19 * high - low) / 18 }
}

/// Logarithmic range padded by 1/18 of its span in decades on each side; a limit that is not
/// positive falls back to 0.1 (low) or 0.2 (high), and the range never collapses.
function padLog(low, high) {
    var range
    if (low > 0 && high > 0)
        range = { min: Math.pow(Math.pow(low, 19) / high, 1 / 18), max: Math.pow(Math.pow(high, 19) / low, 1 / 18) }
    else
        range = { min: low > 0 ? low : logFallbackMin, max: high > 0 ? high : logFallbackMax }
    // Powers of 19 overflow for very large or small limits; keep the range itself then.
    if (!isFinite(range.min) || !isFinite(range.max) || range.min <= 0)
        range = { min: low > 0 ? low : logFallbackMin, max: high > 0 ? high : logFallbackMax }
    if (range.max <= range.min)
        range.max = range.min * 2
    return range
}

/// Logarithmic range for data from `low` to `high`: padded as padLog, then widened to whole
/// decades when fewer than two powers of ten would fall inside, because a logarithmic axis
/// labels and grids only those.
function logRange(low, high) {
    var range = padLog(low, high)
    var firstPower = Math.ceil(Math.log10(range.min) - 1e-9)
    var lastPower = Math.floor(Math.log10(range.max) + 1e-9)
    if (lastPower - firstPower >= 1)
        return range
    var min = Math.pow(10, Math.floor(Math.log10(range.min) + 1e-9))
    var max = Math.pow(10, Math.ceil(Math.log10(range.max) - 1e-9))
    return { min: min, max: max > min ? max : min * 10 }
}

/// printf format of linear axis labels from `min` to `max` with ticks `interval` apart:
/// "%.4g", or more significant digits where four would print neighbouring ticks alike.
function labelFormat(min, max, interval) {
    var largest = Math.max(Math.abs(min), Math.abs(max))
    if (!(interval > 0) || !isFinite(largest) || largest <= 0)
        return "%.4g"
    var digits = Math.floor(Math.log10(largest)) - Math.floor(Math.log10(interval) + 1e-9) + 1
    return "%." + Math.min(15, Math.max(4, digits)) + "g"
}

/// Spacings of time ticks, ms: round seconds, minutes, hours and days.
var timeSteps = [1000, 2000, 5000, 10000, 15000, 30000,
                 60000, 120000, 300000, 600000, 900000, 1800000,
                 3600000, 7200000, 10800000, 21600000, 43200000, 86400000]

/// The smallest round time step that puts at most `maxTicks` ticks on a span of `spanMs`.
function timeStep(spanMs, maxTicks) {
    var gaps = Math.max(1, maxTicks - 1)
    for (var i = 0; i < timeSteps.length; ++i) {
        if (spanMs / timeSteps[i] <= gaps)
            return timeSteps[i]
    }
    var days = Math.ceil(spanMs / gaps / timeSteps[timeSteps.length - 1])
    return days * timeSteps[timeSteps.length - 1]
}

/// Local times of the ticks from `minMs` to `maxMs` (ms since the epoch) that fall on whole
/// multiples of `stepMs` of the local clock; `offsetMs` is the local time's offset from UTC.
function timeTicks(minMs, maxMs, stepMs, offsetMs) {
    var ticks = []
    if (!(stepMs > 0) || !(maxMs >= minMs))
        return ticks
    for (var t = Math.ceil((minMs + offsetMs) / stepMs) * stepMs - offsetMs; t <= maxMs; t += stepMs)
        ticks.push(t)
    return ticks
}

/// Whether a range holds real times of day rather than the placeholder of a chart that has
/// shown no reading yet (ms since the epoch, at least a second wide, after the year 2000).
var earliestTimeMs = 946684800000
function isTimeRange(leftMs, rightMs) {
    return leftMs >= earliestTimeMs && rightMs - leftMs >= 1000
}

/// Colour of the n-th series of a chart (from 0), wrapping after the last.
function seriesColor(index) {
    return seriesColors[((index % seriesColors.length) + seriesColors.length) % seriesColors.length]
}

/// Colours given to channels in this session, by channel: a channel keeps its colour on every
/// chart and run. Shared by every chart, as this library is loaded once.
var channelColors = ({})
var channelsColored = 0

/// The colour of the channel a series of that name draws ("SSPD 3" and "SSPD 3_2" alike): the
/// next of the series colours for a channel not seen before.
function channelColor(name) {
    var address = channelOfSeriesName(name)
    var key = address >= 0 ? "#" + address : String(name)
    if (!channelColors.hasOwnProperty(key)) {
        channelColors[key] = seriesColor(channelsColored)
        channelsColored += 1
    }
    return channelColors[key]
}

/// Name of a run kept as an earlier one, unlike every name in `taken`: "SSPD 1 (previous)",
/// then "SSPD 1 (previous 2)", "SSPD 1 (previous 3)" ...
function previousName(name, taken) {
    var candidate = name + " (previous)"
    for (var run = 2; taken.indexOf(candidate) >= 0; ++run)
        candidate = name + " (previous " + run + ")"
    return candidate
}

/// Bus address written at the end of the first "_"-separated part of a series name
/// ("SSPD 12_sweep" gives 12); -1 when there is none.
function channelOfSeriesName(name) {
    var match = /(\d+)\s*$/.exec(String(name).split("_")[0])
    return match ? Number(match[1]) : -1
}
