import QtQuick
import QtQuick.Controls
import VantrelTheme

// A button for actions that must not happen by a slip: it fires only after being held for
// holdMs; a ring shows the progress, and releasing earlier cancels.
Button {
    id: button

    property int holdMs: 2000        ///< hold time before firing, ms
    readonly property int tickMs: 50 ///< progress ring step, ms
    property real progress: 0        ///< 0..1 of the hold time
    signal held()

    Timer {
        id: ticker
        interval: button.tickMs
        repeat: true
        property int elapsedMs: 0
        onTriggered: {
            elapsedMs += interval
            button.progress = Math.min(1, elapsedMs / button.holdMs)
            if (elapsedMs >= button.holdMs) {
                stop()
                button.held()
            }
        }
    }
    onPressed: {
        ticker.elapsedMs = 0
        progress = 0
        ticker.start()
    }
    onReleased: cancel()
    onCanceled: cancel()
    onEnabledChanged: if (!enabled) cancel()

    function cancel() {
        ticker.stop()
        progress = 0
    }

    Canvas {
        id: ring
        width: Math.min(parent.height - Theme.s(8), Theme.s(30))
        height: width
        anchors.right: parent.right
        anchors.rightMargin: Theme.s(6)
        anchors.verticalCenter: parent.verticalCenter
        visible: button.progress > 0
        onVisibleChanged: requestPaint()
        property real progress: button.progress
        onProgressChanged: requestPaint()
        onPaint: {
            var ctx = getContext("2d")
            ctx.reset()
            ctx.lineWidth = Math.max(2, width / 8)
            ctx.strokeStyle = Theme.borderHovered
            ctx.beginPath()
            ctx.arc(width / 2, height / 2, width / 2 - ctx.lineWidth, -Math.PI / 2,
                    -Math.PI / 2 + 2 * Math.PI * progress)
            ctx.stroke()
        }
    }
}
