import QtQuick
import QtQuick.Controls
import VantrelTheme

// A ring that fills clockwise from the top with `value` (0..1), the percentage in its middle.
Item {
    id: control

    property real value: 0
    /// Draws the ring in the error colour.
    property bool failed: false

    implicitWidth: Theme.s(200)
    implicitHeight: implicitWidth

    Canvas {
        id: ring
        anchors.fill: parent
        property real value: Math.max(0, Math.min(1, control.value))
        property color trackColor: Theme.controlBackgroundHovered
        property color fillColor: control.failed ? Theme.lampFault : Theme.borderHovered
        onValueChanged: requestPaint()
        onFillColorChanged: requestPaint()
        onWidthChanged: requestPaint()
        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            var lineWidth = Math.max(4, width / 14)
            var radius = Math.min(width, height) / 2 - lineWidth
            ctx.lineWidth = lineWidth
            ctx.lineCap = "round"
            ctx.strokeStyle = trackColor
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, radius, 0, 2 * Math.PI)
            ctx.stroke()
            if (value <= 0)
                return
            ctx.strokeStyle = fillColor
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, radius, -Math.PI / 2, -Math.PI / 2 + 2 * Math.PI * value)
            ctx.stroke()
        }
    }
    Label {
        anchors.centerIn: parent
        text: Math.round(ring.value * 100) + " %"
        font.pixelSize: Theme.biggestText
        color: Theme.textHovered
    }
}
