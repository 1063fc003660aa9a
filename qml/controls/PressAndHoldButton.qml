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

    /// A held key repeats as a release and a press at once, and the window system does not always
    /// mark them as a repeat: a key press this soon after a key release continues the hold, ms.
    readonly property int keyRepeatGraceMs: 100
    property bool releasedByKey: false

    Timer {
        id: ticker
        interval: button.tickMs
        repeat: true
        property int elapsedMs: 0
        onTriggered: {
            if (!button.pressed)
                return // between the release and the press of a key repeat
            elapsedMs += interval
            button.progress = Math.min(1, elapsedMs / button.holdMs)
            if (elapsedMs >= button.holdMs) {
                stop()
                button.held()
            }
        }
    }
    Timer {
        id: keyReleaseGrace
        interval: button.keyRepeatGraceMs
        onTriggered: button.cancel()
    }
    onPressed: {
        if (keyReleaseGrace.running) {
            keyReleaseGrace.stop()
            return
        }
        releasedByKey = false
        ticker.elapsedMs = 0
        progress = 0
        ticker.start()
    }
    onReleased: {
        if (releasedByKey)
            keyReleaseGrace.restart()
        else
            cancel()
    }
    // Repeats the window system marks as such never reach the button.
    Keys.onPressed: event => event.accepted = event.isAutoRepeat && event.key === Qt.Key_Space
    Keys.onReleased: event => {
        event.accepted = event.isAutoRepeat && event.key === Qt.Key_Space
        releasedByKey = event.key === Qt.Key_Space
    }
    onCanceled: cancel()
    onEnabledChanged: if (!enabled) cancel()

    function cancel() {
        keyReleaseGrace.stop()
        releasedByKey = false
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
