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

function text(value) {
    return value === undefined || value === null ? "" : String(value)
}

/// Whether a catalogue entry is the module's own value: equal, or its major number ("2.1" is
/// revision "2").
function fits(own, entry) {
    var value = text(own)
    return value !== "" && (entry === value || entry === value.split(".")[0])
}

/// The catalogue entry that is the module's own value, or "" when none is published.
function ownEntry(choices, own) {
    for (var i = 0; choices && i < choices.length; ++i) {
        if (fits(own, choices[i]))
            return choices[i]
    }
    return ""
}

/// What a modification or hardware box shows after its list changed: the user's own pick while
/// picking is allowed (`unlocked`) and the list holds it, else the module's own entry, else "".
/// Another hardware's image is never offered on its own.
function hardwareChoice(choices, current, own, unlocked) {
    if (unlocked && current && choices && choices.indexOf(current) >= 0)
        return current
    return ownEntry(choices, own)
}

/// The version box: the pick while the list holds it, else the newest (the list's first).
function versionChoice(choices, current) {
    if (!choices || choices.length === 0)
        return ""
    return current && choices.indexOf(current) >= 0 ? current : choices[0]
}

/// Whether the image for `modification` and `revision` is for other hardware than the module's.
function isForOtherHardware(module, modification, revision) {
    return !fits(module.Modification, modification) || !fits(module.Hardware, revision)
}
