.pragma library

.import "ModuleKinds.js" as ModuleKinds

// Rules of the unit-update screen that do not depend on a screen.

/// The model string firmware images are published under: "VT4SD" for detector modules,
/// "VT4TD" for temperature modules, "" for modules without published firmware.
function modelString(type) {
    switch (ModuleKinds.delegateKind(type)) {
    case "sspd":
        return "VT4SD"
    case "temperature":
        return "VT4TD"
    default:
        return ""
    }
}

/// What a choice box shows after its list changed: `current` while the list holds it, else the
/// entry that fits the module's own value `own` ("2.1" fits a revision "2"), else the first
/// entry, else "".
function preferred(choices, current, own) {
    if (!choices || choices.length === 0)
        return ""
    if (current && choices.indexOf(current) >= 0)
        return current
    var text = String(own === undefined || own === null ? "" : own)
    if (choices.indexOf(text) >= 0)
        return text
    var major = text.split(".")[0]
    if (choices.indexOf(major) >= 0)
        return major
    return choices[0]
}
