import QtQuick
import MyWorker 1.0
import "../logic/NumberText.js" as NumberText

DriverPage {
    mode: Worker.WorkerModeSspdSingleChannel
    titlePrefix: "SSPD Driver#"
    seriesPrefix: "SSPD "
    readingKey: "cps"
    yTitle: "Counts, cps"
    logYAllowed: true
    readingText: NumberText.countRateText
}
