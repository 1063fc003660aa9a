import QtQuick
import QtQuick.Controls
import "../logic/NumberText.js" as NumberText

// Spin box for real numbers in the C locale. The value is kept as an integer count of
// 10^-decimals steps; typed text may use "," or "." and blanks, and an entry outside
// [minimum, maximum] is refused: the box keeps its value and says why beside itself.
SpinBox {
    id: box

    property int decimals: 1
    property real minimum: 0
    property real maximum: 100
    /// The value to show (a binding to the module's value); the box follows it without
    /// reporting an edit.
    property real realValue: 0
    readonly property real shownValue: value / stepScale
    /// The operator changed the value (by typing or the arrows).
    signal edited(real value)

    readonly property real stepScale: NumberText.stepScale(decimals)
    /// Why the last typed entry was refused; "" once an entry is taken or after a while.
    property string refusal: ""
    readonly property int refusalShownMs: 5000

    ToolTip.visible: refusal !== ""
    ToolTip.text: refusal
    Timer {
        running: box.refusal !== ""
        interval: box.refusalShownMs
        onTriggered: box.refusal = ""
    }

    from: NumberText.toSteps(minimum, decimals)
    to: NumberText.toSteps(maximum, decimals)
    stepSize: 1
    // Kept in step with realValue by hand: a binding would be lost at the first typed entry.
    onRealValueChanged: value = NumberText.toSteps(realValue, decimals)
    Component.onCompleted: value = NumberText.toSteps(realValue, decimals)
    editable: true

    // Every keystroke is let through: a filter would drop the stray characters of "1x2.." and
    // apply what is left (12) instead of refusing the entry as typed.
    validator: RegularExpressionValidator { regularExpression: /.*/ }
    textFromValue: function (steps) { return NumberText.textFromSteps(steps, box.decimals) }
    valueFromText: function (text) {
        return NumberText.stepsFromText(text, box.decimals, box.from, box.to, box.value)
    }
    onValueModified: edited(shownValue)
    // A refused entry leaves the old text in place of what was typed; later values show again.
    Connections {
        target: box.contentItem
        // The typed text is taken here as well, so an entry counts however the editor ends.
        function onEditingFinished() {
            box.refusal = NumberText.refusalText(box.contentItem.text, box.minimum, box.maximum, box.decimals)
            var steps = NumberText.stepsFromText(box.contentItem.text, box.decimals, box.from, box.to, box.value)
            if (steps !== box.value) {
                box.value = steps
                box.edited(box.shownValue)
            }
            Qt.callLater(function () { box.contentItem.text = Qt.binding(function () { return box.displayText }) })
        }
    }
}
