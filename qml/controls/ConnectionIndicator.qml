import QtQuick
import QtQuick.Controls
import MyWorker 1.0
import VantrelTheme

// The state of the link to the crate, beside the status text: connected, reconnecting since
// a time with the number of tries, or lost. Empty before the first connection.
Label {
    objectName: "connectionIndicator"
    // Worker.connectionState: 1 connected, 2 reconnecting, 3 lost.
    readonly property color stateColor: Worker.connectionState === 1 ? Theme.lampActive
                                        : Worker.connectionState === 2 ? Theme.textLink
                                        : Theme.lampFault
    visible: text !== ""
    text: Worker.connectionText === "" ? "" : "\u25CF " + Worker.connectionText
    color: stateColor
    font.pixelSize: Theme.smallText
}
