import QtQuick
import MyWorker 1.0

TimeChartPage {
    mode: Worker.WorkerModeTemperatureVersTime
    seriesPrefix: "Temperature "
    // The four-channel thermometer gives the temperature of its stage.
    acceptedTypes: [Datalist.DeviceTypeTempM0, Datalist.DeviceTypeTempM1]
    yTitle: "Temperature, K"
}
