import QtQuick
import QtQuick.Controls
import QtTest
import "../../qml/controls"

TestCase {
    id: testCase
    name: "NumberSpinBox"
    width: 400
    height: 200
    visible: true
    when: windowShown

    // The bias current box of the home page: one decimal, -2500..2500 uA, showing 10.0.
    Component {
        id: boxComponent
        NumberSpinBox { width: 300; decimals: 1; minimum: -2500; maximum: 2500; realValue: 10 }
    }
    Component {
        id: spyComponent
        SignalSpy { signalName: "edited" }
    }

    function type(box, text) {
        box.forceActiveFocus()
        box.contentItem.selectAll()
        for (var i = 0; i < text.length; ++i)
            keyClick(text[i])
        keyClick(Qt.Key_Return)
    }

    function test_typedEntry_data() {
        return [
            { tag: "comma", text: "12,5", edited: true, value: 12.5, refusal: "" },
            { tag: "point", text: "-0.7", edited: true, value: -0.7, refusal: "" },
            { tag: "blanks", text: "1 000", edited: true, value: 1000, refusal: "" },
            { tag: "above range", text: "2600", edited: false, value: 10, refusal: "Out of range -2500.0 \u2026 2500.0" },
            { tag: "below range", text: "-2500.1", edited: false, value: 10, refusal: "Out of range -2500.0 \u2026 2500.0" },
            { tag: "no number", text: "-", edited: false, value: 10, refusal: "Not a number" },
            { tag: "stray characters", text: "1x2..", edited: false, value: 10, refusal: "Not a number" },
        ]
    }
    function test_typedEntry(data) {
        var box = createTemporaryObject(boxComponent, testCase)
        var spy = createTemporaryObject(spyComponent, testCase, { target: box })
        type(box, data.text)
        compare(spy.count, data.edited ? 1 : 0)
        if (data.edited)
            fuzzyCompare(spy.signalArguments[0][0], data.value, 1e-9)
        fuzzyCompare(box.shownValue, data.value, 1e-9)
        // A refused entry is told beside the box, then gives way to the box's own value again.
        compare(box.refusal.split(":")[0], data.refusal)
        compare(box.ToolTip.visible, data.refusal !== "")
        tryCompare(box.contentItem, "text", box.shownValue.toFixed(1))
    }

    function test_arrowsStepByOneDecimal() {
        var box = createTemporaryObject(boxComponent, testCase)
        var spy = createTemporaryObject(spyComponent, testCase, { target: box })
        box.contentItem.forceActiveFocus()
        keyClick(Qt.Key_Up)
        compare(spy.count, 1)
        fuzzyCompare(spy.signalArguments[0][0], 10.1, 1e-9)
    }

    function test_followsTheModuleWithoutReportingAnEdit() {
        var box = createTemporaryObject(boxComponent, testCase)
        var spy = createTemporaryObject(spyComponent, testCase, { target: box })
        box.realValue = 42.25
        compare(box.contentItem.text, "42.3")
        compare(spy.count, 0)
    }
}
