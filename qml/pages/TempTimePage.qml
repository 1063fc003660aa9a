import QtQuick
import MyWorker 1.0

TimeChartPage {
    mode: Worker.WorkerModeTemperatureVersTime
    seriesPrefix: "Temperature "
    acceptedTypes: [Datalist.DeviceTypeTempM0]
    yTitle: "Temperature, K"
}
