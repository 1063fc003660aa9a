import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme

// The tools of every chart page: pause and resume the view, reset a zoomed view, save the chart
// as a picture or its data as text (plain or with a describing header), log the live traces to
// a file, and clear the dimmed traces of earlier runs.
RowLayout {
    id: bar

    property var widget: null
    readonly property bool zoomed: widget && widget.viewRange !== null
    readonly property string logFile: Worker.traceLog.active ? Worker.traceLog.fileName : ""

    spacing: Theme.s(6)

    function saveData(path, described) {
        var series = widget.exportedSeries()
        if (described)
            Worker.saveDescribedSeries(series, widget.xTitle, widget.yTitle, path)
        else if (series.length === 1)
            Worker.saveSeries(series[0], path)
        else
            Worker.saveMultipleSeries(series, path)
    }

    Button {
        objectName: "pauseButton"
        text: Worker.plotPaused ? "\u25B6 Resume" : "\u2016 Pause"
        onClicked: Worker.plotPaused = !Worker.plotPaused
    }
    Button {
        objectName: "resetViewButton"
        text: "Reset view"
        enabled: bar.zoomed
        onClicked: bar.widget.viewRange = null
    }
    Button {
        id: saveButton
        objectName: "saveButton"
        text: "Save \u25BE"
        onClicked: saveMenu.open()
        Menu {
            id: saveMenu
            y: saveButton.height
            MenuItem { text: "Data..."; onTriggered: { dataDialog.described = false; dataDialog.open() } }
            MenuItem { text: "Data with header..."; onTriggered: { dataDialog.described = true; dataDialog.open() } }
            MenuItem { text: "Image (PNG)..."; onTriggered: imageDialog.open() }
            MenuItem { text: "Drawing (SVG)..."; onTriggered: drawingDialog.open() }
        }
    }
    Button {
        objectName: "logButton"
        text: bar.logFile ? "Stop logging" : "Log to file..."
        onClicked: bar.logFile ? Worker.traceLog.stop() : logDialog.open()
    }
    Button {
        text: "Clear previous"
        visible: bar.widget && bar.widget.previousSeries.length > 0
        onClicked: bar.widget.clearPrevious()
    }
    Label {
        objectName: "loggingMark"
        Layout.fillWidth: true
        visible: bar.logFile !== ""
        text: "\u25CF logging to " + bar.logFile
        color: Theme.textLink
        elide: Text.ElideMiddle
        font.pixelSize: Theme.smallText
    }
    Label {
        objectName: "loggingFailure"
        Layout.fillWidth: true
        visible: bar.logFile === "" && Worker.traceLog.failure !== ""
        text: "\u26A0 " + Worker.traceLog.failure
        color: Theme.textLink
        elide: Text.ElideMiddle
        font.pixelSize: Theme.smallText
    }
    Label {
        visible: Worker.plotPaused
        text: "view paused, reading goes on"
        color: Theme.textLink
        font.pixelSize: Theme.smallText
    }

    FileChooser {
        id: dataDialog
        property bool described: false
        title: described ? "Save data with header" : "Save data"
        kind: "data"
        defaultName: "data.txt"
        defaultSuffix: "txt"
        nameFilters: ["Text (*.txt *.dat)", "All files (*)"]
        onChosen: (path) => bar.saveData(path, described)
    }
    FileChooser {
        id: imageDialog
        title: "Save image"
        kind: "image"
        defaultName: "chart.png"
        defaultSuffix: "png"
        nameFilters: ["PNG image (*.png)"]
        onChosen: (path) => {
            bar.widget.picture.grabToImage(function (result) {
                var error = ImageFileWriter.write(path, result.image)
                if (error !== "")
                    Worker.sendErrorMessage("ERROR!", error)
            })
        }
    }
    FileChooser {
        id: drawingDialog
        title: "Save drawing"
        kind: "drawing"
        defaultName: "chart.svg"
        defaultSuffix: "svg"
        nameFilters: ["SVG drawing (*.svg)"]
        onChosen: (path) => {
            var error = ChartSvgWriter.write(path, bar.widget.drawingDescription())
            if (error !== "")
                Worker.sendErrorMessage("ERROR!", error)
        }
    }
    FileChooser {
        id: logDialog
        title: "Log to file"
        kind: "log"
        defaultName: "trace.log"
        defaultSuffix: "log"
        nameFilters: ["Text (*.txt *.log)", "All files (*)"]
        onChosen: (path) => Worker.startTraceLog(path, bar.widget.xTitle, bar.widget.yTitle)
    }
}
