import QtQuick
import QtCharts
import MyWorker 1.0

SweepChartPage {
    mode: Worker.WorkerModeIVCurves
    xTitle: "Voltage, mV"
    yTitle: "Current, \u03BCA"
}
