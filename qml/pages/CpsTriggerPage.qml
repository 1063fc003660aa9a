import QtQuick
import QtCharts
import MyWorker 1.0

SweepChartPage {
    mode: Worker.WorkerModeCpsVersTrigger
    xTitle: "Trigger level, mV"
    yTitle: "Counts, cps"
    logYAllowed: true
}
