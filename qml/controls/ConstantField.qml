import QtQuick
import QtQuick.Controls
import VantrelTheme
import "../logic/Calibration.js" as Calibration
import "../logic/NumberText.js" as NumberText

// One number of a calibration constant. A typed entry that is not a number is refused: the
// field shows the stored value again.
TextField {
    id: field

    property var value
    /// A number was typed and confirmed; `text` is what the operator typed.
    signal edited(string text)

    text: Calibration.valueText(value)
    validator: RegularExpressionValidator { regularExpression: /^\s*[+-]?[0-9.,]*([eE][+-]?[0-9]*)?\s*$/ }
    onEditingFinished: {
        if (isFinite(NumberText.parseNumber(text)) && text !== Calibration.valueText(value))
            edited(text)
        text = Qt.binding(function () { return Calibration.valueText(field.value) })
    }
}
