import QtQuick
import QtCharts
import MyWorker 1.0

SweepChartPage {
    mode: Worker.WorkerModeCpsVersCurrent
    xTitle: "Current, \u03BCA"
    yTitle: "Counts, cps"
    logYAllowed: true
}
