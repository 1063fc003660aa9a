import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme

// Options of the time charts, all kept in Worker.settings. While a trace runs only its view
// changes: the vertical range and the time window.
GridLayout {
    id: options

    property int mode: Worker.WorkerModeCpsVersTime
    property bool reading: false
    readonly property var rect: Worker.settings.chartRect

    columns: 2
    columnSpacing: Theme.s(10)
    rowSpacing: Theme.s(6)

    Label { text: "Time constant, s" }
    NumberSpinBox {
        Layout.fillWidth: true
        enabled: !options.reading
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
    ChartYLimits {
        Layout.columnSpan: 2
        Layout.fillWidth: true
        enabled: options.rect !== null
        autoscale: Worker.settings.autoscale
        low: options.rect ? options.rect.bottom : 0
        high: options.rect ? options.rect.top : 1
        onAutoscaleToggled: function (on) { Worker.settings.autoscale = on }
        onLowEdited: function (value) { options.rect.bottom = value }
        onHighEdited: function (value) { options.rect.top = value }
    }
    Button {
        Layout.columnSpan: 2
        Layout.fillWidth: true
        text: "Fit all"
        onClicked: Worker.rescaleChartRec(options.mode)
    }
}
