.pragma library

.import "NumberText.js" as NumberText

// Rules of the calibration editor and the device manager that do not depend on a screen.

/// The word that unlocks factory settings.
var factoryPassword = "lumbrix"

function isUnlocked(text) {
    return text === factoryPassword
}

/// Module types with calibration constants: both detector modifications and the one-sensor
/// temperature module.
function hasConstants(type) {
    var t = Number(type)
    return t === 0 || t === 1 || t === 2
}

/// The value to store after editing `which` ("first" or "second") of `pair` to `text`:
/// [first, second], or null when the text is not a number.
function editedPair(pair, which, text) {
    var number = NumberText.parseNumber(text)
    if (!isFinite(number))
        return null
    return which === "first" ? [number, pair.second] : [pair.first, number]
}

/// A constant as the editor shows it: the 7 significant digits a module's single-precision
/// float holds, without trailing zeros.
function valueText(value) {
    var number = Number(value)
    return isFinite(number) ? String(Number(number.toPrecision(7))) : ""
}
