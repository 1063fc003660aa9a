import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme

// Options of the time charts, all kept in Worker.settings.
GridLayout {
    id: options

    property int mode: Worker.WorkerModeCpsVersTime
    readonly property var rect: Worker.settings.chartRect

    columns: 2
    columnSpacing: Theme.s(10)
    rowSpacing: Theme.s(6)

    Label { text: "Time constant, s" }
    NumberSpinBox {
        Layout.fillWidth: true
        decimals: 1
        minimum: 0.1
        maximum: 100
        realValue: Worker.settings.timeConstant
        onEdited: function (seconds) { Worker.settings.timeConstant = seconds }
    }
    RadioButton {
        text: "Free running"
        checked: Worker.settings.mode === Worker.CpsVsTimeFreeRunning
        onToggled: if (checked) Worker.settings.mode = Worker.CpsVsTimeFreeRunning
    }
    RadioButton {
        text: "Windowed"
        checked: Worker.settings.mode === Worker.CpsVsTimeWindowed
        onToggled: if (checked) Worker.settings.mode = Worker.CpsVsTimeWindowed
    }
    Label { text: "Window size, s" }
    NumberSpinBox {
        Layout.fillWidth: true
        enabled: Worker.settings.mode === Worker.CpsVsTimeWindowed
        decimals: 0
        minimum: 1
        maximum: 86400
        realValue: Worker.settings.timeWindowSize
        onEdited: function (seconds) { Worker.settings.timeWindowSize = seconds }
    }
    CheckBox {
        text: "Y autoscale"
        checked: Worker.settings.autoscale
        onToggled: Worker.settings.autoscale = checked
    }
    Button {
        Layout.fillWidth: true
        text: "Fit all"
        onClicked: Worker.rescaleChartRec(options.mode)
    }
    Label { text: "Y min" }
    RangeTextField {
        Layout.fillWidth: true
        enabled: !Worker.settings.autoscale && options.rect
        minimum: -1e12
        maximum: options.rect ? options.rect.top : 1e12
        significantDigits: 7
        realValue: options.rect ? options.rect.bottom : 0
        onEdited: function (value) { options.rect.bottom = value }
    }
    Label { text: "Y max" }
    RangeTextField {
        Layout.fillWidth: true
        enabled: !Worker.settings.autoscale && options.rect
        minimum: options.rect ? options.rect.bottom : -1e12
        maximum: 1e12
        significantDigits: 7
        realValue: options.rect ? options.rect.top : 1
        onEdited: function (value) { options.rect.top = value }
    }
}
