import QtQuick
import MyWorker 1.0
import "../logic/NumberText.js" as NumberText

DriverPage {
    mode: Worker.WorkerModeTemperatureSingleMode
    titlePrefix: "Temperature Driver#"
    seriesPrefix: "Temperature "
    readingKey: "temperature"
    yTitle: "Temperature, K"
    readingText: NumberText.fineTemperatureText
}
