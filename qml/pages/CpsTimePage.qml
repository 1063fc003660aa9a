import QtQuick
import MyWorker 1.0

TimeChartPage {
    mode: Worker.WorkerModeCpsVersTime
    seriesPrefix: "SSPD "
    acceptedTypes: [Datalist.DeviceTypeSspdM0, Datalist.DeviceTypeSspdM1]
    yTitle: "Counts, cps"
    logYAllowed: true
}
