import QtQuick
import QtTest
import "../../qml/logic/Calibration.js" as Calibration

TestCase {
    name: "Calibration"

    function test_editedPair_data() {
        return [
            { tag: "first", which: "first", text: "1,5", expected: [1.5, -2] },
            { tag: "second", which: "second", text: " 3e-3", expected: [4, 0.003] },
            { tag: "not a number", which: "first", text: "1.2.3", expected: null },
            { tag: "empty", which: "second", text: "", expected: null },
        ]
    }
    // Editing one coefficient keeps the other as it was.
    function test_editedPair(data) {
        compare(Calibration.editedPair({ first: 4, second: -2 }, data.which, data.text), data.expected)
    }

    // Single-precision values read from a module show without float noise.
    function test_valueText() {
        compare(Calibration.valueText(6.10349993e-9), "6.1035e-9")
        compare(Calibration.valueText(163840000), "163840000")
        compare(Calibration.valueText(undefined), "")
    }

    function test_password() {
        verify(Calibration.isUnlocked("lumbrix"))
        verify(!Calibration.isUnlocked("Lumbrix"))
        verify(!Calibration.isUnlocked(""))
    }
}
