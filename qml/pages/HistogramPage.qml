import QtQuick
import QtCharts
import MyWorker 1.0

// The histogram runs until stopped; its axes follow the range unpadded.
SweepChartPage {
    mode: Worker.WorkerModeHistogram
    xTitle: "cps"
    yTitle: "Counts"
    seriesType: ChartView.SeriesTypeArea
    padded: false
}
