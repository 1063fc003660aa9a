import QtQuick
import QtQuick.Controls
import VantrelTheme
import "../logic/ModuleKinds.js" as ModuleKinds

// "stale" beside a live value that has not been refreshed for three reading periods. Every module
// status read for the value goes to noteStatus(): an active read refreshes it, a failed one leaves
// no value to call stale (it shows "---" instead). A page hands over the module list and names
// the modules of its value in `addresses`, and the mark follows their rows; a list delegate, one
// of many, hands its own status over.
Label {
    id: mark

    /// The module list (DataModel) and the bus addresses whose rows refresh the value.
    property var model: null
    property var addresses: []
    /// How often the value should be refreshed, ms.
    property real periodMs: 1000
    /// Take the period from the interval between the last two refreshes once there is one (a
    /// sweep step lasts its time constant plus the settling of the bias; a single channel
    /// follows the module's own counting period).
    property bool learnsPeriod: false
    /// Wall clock, ms since the epoch. A list of many marks shares one clock (ownClock false);
    /// otherwise the mark ticks its own while it holds a value.
    property double nowMs: Date.now()
    property bool ownClock: true
    property bool hasValue: false
    property double freshAtMs: 0
    property double learntPeriodMs: 0
    /// Never below this, so that a busy GUI thread does not make the mark blink on fast readings.
    readonly property real leastPeriodMs: 100
    readonly property real effectivePeriodMs: Math.max(leastPeriodMs,
                                                       learnsPeriod && learntPeriodMs > 0 ? learntPeriodMs : periodMs)
    readonly property bool stale: hasValue && freshAtMs > 0 && nowMs - freshAtMs > 3 * effectivePeriodMs

    function noteStatus(status) {
        var lamp = ModuleKinds.lampKind(status)
        if (lamp === "active") {
            var now = Date.now()
            if (hasValue && freshAtMs > 0)
                learntPeriodMs = now - freshAtMs
            hasValue = true
            freshAtMs = now
        } else if (lamp === "fault") {
            forget()
        }
    }
    function forget() {
        hasValue = false
        freshAtMs = 0
        learntPeriodMs = 0
    }

    onAddressesChanged: forget()

    objectName: "staleMark"
    visible: stale
    text: "stale"
    color: Theme.textLink
    font.pixelSize: Theme.smallText

    Connections {
        target: mark.model
        enabled: mark.addresses.length > 0
        function onDataChanged(topLeft, bottomRight) {
            for (var row = topLeft.row; row <= bottomRight.row; ++row) {
                if (mark.addresses.indexOf(mark.model.data(row, "address")) >= 0)
                    mark.noteStatus(mark.model.data(row, "status"))
            }
        }
        function onModelReset() { mark.forget() }
    }
    Timer {
        interval: mark.effectivePeriodMs
        repeat: true
        running: mark.ownClock && mark.hasValue
        onTriggered: mark.nowMs = Date.now()
    }
}
