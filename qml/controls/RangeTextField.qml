import QtQuick
import QtQuick.Controls
import "../logic/NumberText.js" as NumberText

// Text field for one number within [minimum, maximum]; "," or "." as decimal separator.
// Only an entry inside the range is reported; anything else is refused and the field
// shows the module's value again.
TextField {
    id: field

    property real minimum: 0
    property real maximum: 1
    property real realValue: 0
    property int decimals: 3
    /// Shows the value with this many significant digits instead of `decimals` fixed ones, for
    /// values of any size (count rates, temperatures).
    property int significantDigits: 0
    signal edited(real value)

    function shownText(value) {
        return significantDigits > 0 ? NumberText.formatG(value, significantDigits) : value.toFixed(decimals)
    }

    text: shownText(realValue)
    validator: RegularExpressionValidator { regularExpression: /\s*[+-]?\s*[0-9\s]*([.,][0-9\s]*)?([eE][+-]?[0-9]*)?\s*/ }
    onEditingFinished: {
        var accepted = NumberText.isInRange(text, minimum, maximum)
        var number = NumberText.parseNumber(text)
        // Typing broke the binding to the value; put it back so the field follows the module.
        text = Qt.binding(function () { return field.shownText(field.realValue) })
        if (accepted)
            edited(number)
    }
}
