.pragma library

// Numbers as the operator types and reads them: C locale, "," or "." as decimal separator,
// blanks ignored. Spin boxes hold a value as an integer count of 10^-decimals steps.

var numberPattern = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/

/// The number in `text`, or NaN when the text is not one number.
function parseNumber(text) {
    var cleaned = String(text).replace(/\s+/g, "").replace(",", ".")
    if (!numberPattern.test(cleaned))
        return NaN
    return Number(cleaned)
}

function stepScale(decimals) {
    return Math.pow(10, decimals)
}

/// `value` as a count of 10^-decimals steps.
function toSteps(value, decimals) {
    return Math.round(value * stepScale(decimals))
}

function textFromSteps(steps, decimals) {
    return (steps / stepScale(decimals)).toFixed(decimals)
}

/// Steps for a typed text; `currentSteps` when the text is no number or lies outside
/// [fromSteps, toSteps], so a refused entry changes nothing.
function stepsFromText(text, decimals, fromSteps, toSteps, currentSteps) {
    var number = parseNumber(text)
    if (!isFinite(number))
        return currentSteps
    var steps = Math.round(number * stepScale(decimals))
    return steps < fromSteps || steps > toSteps ? currentSteps : steps
}

/// Why a typed entry is refused, for the operator ("" when it is a number inside [low, high]).
function refusalText(text, low, high, decimals) {
    var number = parseNumber(text)
    if (!isFinite(number))
        return "Not a number: kept the previous value"
    if (number < low || number > high)
        return "Out of range " + low.toFixed(decimals) + " \u2026 " + high.toFixed(decimals) + ": kept the previous value"
    return ""
}

/// Whether a text is a number inside [low, high], for fields that refuse other entries.
function isInRange(text, low, high) {
    var number = parseNumber(text)
    return isFinite(number) && number >= low && number <= high
}

/// printf's "%.<digits>g": `digits` significant digits, trailing zeros dropped, exponent form
/// below 1e-4 and from 10^digits on ("1.235e+05").
function formatG(value, digits) {
    if (!isFinite(value))
        return String(value)
    if (value === 0)
        return "0"
    var exponent = Math.floor(Math.log10(Math.abs(Number(value.toPrecision(digits)))))
    if (exponent < -4 || exponent >= digits) {
        var parts = value.toExponential(digits - 1).split("e")
        var mantissa = trimZeros(parts[0])
        var power = Number(parts[1])
        var powerText = Math.abs(power) < 10 ? "0" + Math.abs(power) : String(Math.abs(power))
        return mantissa + "e" + (power < 0 ? "-" : "+") + powerText
    }
    return trimZeros(value.toFixed(Math.max(0, digits - 1 - exponent)))
}

function trimZeros(text) {
    if (text.indexOf(".") < 0)
        return text
    return text.replace(/0+$/, "").replace(/\.$/, "")
}

/// Whether `value` is a reading to show: a good read has come and the module measured it.
function isReading(value, valid) {
    return Boolean(valid) && value !== undefined && value !== null && isFinite(Number(value))
}

/// A reading for display, or "---" while there is none.
function readingText(value, valid, format) {
    return isReading(value, valid) ? format(Number(value)) : "---"
}

/// The count rate with four significant digits, e.g. "1.235e+05 cps".
function countRateText(cps, valid) {
    return readingText(cps, valid, function (v) { return formatG(v, 4) + " cps" })
}

/// The temperature with one decimal, e.g. "3.4 K".
function temperatureText(kelvin, valid) {
    return readingText(kelvin, valid, function (v) { return v.toFixed(1) + " K" })
}

/// Below this a cryostat stage is read to the millikelvin, K.
var fineTemperatureBelowK = 10

/// The temperature to 1 mK below 10 K ("4.213 K"), to 10 mK above ("295.40 K").
function fineTemperatureText(kelvin, valid) {
    return readingText(kelvin, valid, function (v) {
        return v.toFixed(Math.abs(v) < fineTemperatureBelowK ? 3 : 2) + " K"
    })
}
