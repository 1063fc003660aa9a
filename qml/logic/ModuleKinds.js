.pragma library

// How the module list shows a module, by its "type" and "status" values.

// Module types as the module list numbers them.
var typeSspdM0 = 0
var typeSspdM1 = 1
var typeTempM0 = 2
var typeTempM1 = 3

/// The bias source of both SSPD modifications holds its set point within this many µA either
/// way; a larger entry would be clamped by the module, so the screens refuse it.
var biasLimitMicroAmps = 100

// Module status values.
var statusActive = 1
var statusFault = 2

/// "sspd", "temperature" or "other": which delegate shows a module.
function delegateKind(type) {
    switch (Number(type)) {
    case typeSspdM0:
    case typeSspdM1:
        return "sspd"
    case typeTempM0:
    case typeTempM1:
        return "temperature"
    default:
        return "other"
    }
}

/// "idle", "active" or "fault": the lamp colour of a status.
function lampKind(status) {
    switch (Number(status)) {
    case statusActive:
        return "active"
    case statusFault:
        return "fault"
    default:
        return "idle"
    }
}

/// Whether the program drives a module of `type` (switch, driver page); the four-channel
/// thermometer and other modules are only listed.
function isControlled(type) {
    var number = Number(type)
    return number === typeSspdM0 || number === typeSspdM1 || number === typeTempM0
}

/// Tab that shows one module of `type`; "" for modules without a page.
function driverTab(type) {
    if (!isControlled(type))
        return ""
    return delegateKind(type) === "sspd" ? "SSPD Driver" : "Temp Driver"
}
