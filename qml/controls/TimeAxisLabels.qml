import QtQuick
import QtQuick.Controls

// "hh:mm:ss" labels under the plot area of a chart whose horizontal axis holds ms since the
// epoch, one centred on each tick, and the axis title under them. The chart draws neither:
// its own title, moved with the plot area, left a stale copy of itself below the new one.
Item {
    id: labels

    property rect plotArea
    property real minMs: 0
    property real maxMs: 1
    property var ticks: []
    property color color: "white"
    property int pixelSize: 12
    /// Gap between the plot area and the labels, px (the axis' tick marks sit there).
    property real gap: 6
    property string title: ""
    /// Room the title takes below the labels, px: the chart's margin must leave it.
    readonly property real titleRoom: titleLabel.height + gap

    // A count as the model keeps the labels alive while the ticks move with the time.
    Repeater {
        model: labels.maxMs > labels.minMs ? labels.ticks.length : 0
        delegate: Label {
            required property int index
            readonly property real time: labels.ticks[index]
            x: labels.plotArea.x + (time - labels.minMs) / (labels.maxMs - labels.minMs) * labels.plotArea.width - width / 2
            y: labels.plotArea.y + labels.plotArea.height + labels.gap
            text: Qt.formatTime(new Date(time), "hh:mm:ss")
            color: labels.color
            font.pixelSize: labels.pixelSize
        }
    }
    Label {
        id: titleLabel
        x: labels.plotArea.x + (labels.plotArea.width - width) / 2
        y: labels.height - height
        text: labels.title
        color: labels.color
        font.pixelSize: labels.pixelSize
    }
}
