.pragma library

// What each version of the program brought, newest first; the version pop-up lists it.
var entries = [
    { version: "1.3.1", changes: [
        "Module firmware update from the device manager: catalogue of published images, progress, and the crate unlocked however the update ends",
        "Notice of a newer program version, with a hand-over to the updater" ] },
    { version: "1.3.0", changes: [
        "Relays and the timed temperature recycle of the four-channel temperature module",
        "Heater, SIS bias-source and control-line modules",
        "Readings a module did not measure show as \"---\"; a latched detector is marked with a one-click reset" ] },
    { version: "1.2.0", changes: [
        "Calibration constants editor: read, edit, save, load and write back to EEPROM",
        "Presets of channel settings and export of chart series as text" ] },
    { version: "1.1.0", changes: [
        "Sweeps: count rate versus bias current and trigger level, current-voltage curves, count-rate histogram" ] },
    { version: "1.0.0", changes: [
        "Crate discovery, module list, live count rates and temperatures, driver pages and time charts" ] }
]
