import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import VantrelTheme

// A chart's vertical range: fitted to the data, or from "Y min" to "Y max" as typed. Works
// while a trace runs; the owner keeps the values and applies the edits.
GridLayout {
    id: limits

    property bool autoscale: true
    property real low: 0
    property real high: 1
    /// All in one row (beside a chart) rather than in the two columns of an options panel.
    property bool oneRow: false
    readonly property real fieldWidth: oneRow ? Theme.s(260) : Number.POSITIVE_INFINITY
    signal autoscaleToggled(bool on)
    signal lowEdited(real value)
    signal highEdited(real value)

    columns: oneRow ? 5 : 2
    columnSpacing: Theme.s(10)
    rowSpacing: Theme.s(6)

    CheckBox {
        objectName: "yAutoscale"
        Layout.columnSpan: limits.oneRow ? 1 : 2
        text: "Y autoscale"
        checked: limits.autoscale
        onToggled: limits.autoscaleToggled(checked)
    }
    Label { text: "Y min" }
    RangeTextField {
        objectName: "yMin"
        Layout.fillWidth: true
        Layout.maximumWidth: limits.fieldWidth
        enabled: !limits.autoscale
        minimum: -1e12
        maximum: limits.high
        significantDigits: 7
        realValue: limits.low
        onEdited: function (value) { limits.lowEdited(value) }
    }
    Label { text: "Y max" }
    RangeTextField {
        objectName: "yMax"
        Layout.fillWidth: true
        Layout.maximumWidth: limits.fieldWidth
        enabled: !limits.autoscale
        minimum: limits.low
        maximum: 1e12
        significantDigits: 7
        realValue: limits.high
        onEdited: function (value) { limits.highEdited(value) }
    }
}
