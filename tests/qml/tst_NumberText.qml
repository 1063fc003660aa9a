import QtQuick
import QtTest
import "../../qml/logic/NumberText.js" as NumberText

TestCase {
    name: "NumberText"

    function test_parseNumber_data() {
        return [
            { tag: "point", text: "12.5", expected: 12.5 },
            { tag: "comma", text: "12,5", expected: 12.5 },
            { tag: "blanks", text: " 1 2 , 5 ", expected: 12.5 },
            { tag: "negative", text: "-2500", expected: -2500 },
            { tag: "leading separator", text: ",5", expected: 0.5 },
            { tag: "exponent", text: "1e3", expected: 1000 },
            { tag: "two separators", text: "1,2.3", expected: NaN },
            { tag: "letters", text: "12a", expected: NaN },
            { tag: "empty", text: "", expected: NaN },
            { tag: "sign only", text: "-", expected: NaN },
        ]
    }
    function test_parseNumber(data) {
        var parsed = NumberText.parseNumber(data.text)
        if (isNaN(data.expected))
            verify(isNaN(parsed), data.text + " gave " + parsed)
        else
            compare(parsed, data.expected)
    }

    // A spin box of one decimal over -2500..2500 that shows 10.0 (100 steps).
    function test_stepsFromText_data() {
        return [
            { tag: "inside", text: "12,3", expected: 123 },
            { tag: "rounded to a step", text: "12.34", expected: 123 },
            { tag: "lowest", text: "-2500", expected: -25000 },
            { tag: "above range refused", text: "2500.1", expected: 100 },
            { tag: "below range refused", text: "-3000", expected: 100 },
            { tag: "no number refused", text: "abc", expected: 100 },
        ]
    }
    function test_stepsFromText(data) {
        compare(NumberText.stepsFromText(data.text, 1, -25000, 25000, 100), data.expected)
    }

    function test_textFromSteps_usesPointAndDecimals() {
        compare(NumberText.textFromSteps(-125, 1), "-12.5")
        compare(NumberText.textFromSteps(7, 2), "0.07")
        compare(NumberText.textFromSteps(3, 0), "3")
    }

    function test_formatG_data() {
        return [
            { tag: "integer", value: 123, expected: "123" },
            { tag: "rounded", value: 98765, expected: "9.877e+04" },
            { tag: "fraction", value: 0.5, expected: "0.5" },
            { tag: "small", value: 0.00001234, expected: "1.234e-05" },
            { tag: "four digits", value: 1234.5, expected: "1235" },
            { tag: "rounds up a decade", value: 9999.7, expected: "1e+04" },
            { tag: "zero", value: 0, expected: "0" },
        ]
    }
    function test_formatG(data) {
        compare(NumberText.formatG(data.value, 4), data.expected)
    }

    function test_readings_data() {
        return [
            { tag: "count rate", text: NumberText.countRateText(123456, true), expected: "1.235e+05 cps" },
            { tag: "count rate before a read", text: NumberText.countRateText(123456, false), expected: "---" },
            { tag: "count rate missing", text: NumberText.countRateText(undefined, true), expected: "---" },
            { tag: "temperature", text: NumberText.temperatureText(3.46, true), expected: "3.5 K" },
            { tag: "temperature after a fault", text: NumberText.temperatureText(3.46, false), expected: "---" },
            { tag: "cold stage to 1 mK", text: NumberText.fineTemperatureText(4.2126, true), expected: "4.213 K" },
            { tag: "warm stage to 10 mK", text: NumberText.fineTemperatureText(295.4, true), expected: "295.40 K" },
        ]
    }
    function test_readings(data) {
        compare(data.text, data.expected)
    }

    function test_isInRange() {
        verify(NumberText.isInRange("0,5", 0, 1))
        verify(!NumberText.isInRange("1.5", 0, 1))
        verify(!NumberText.isInRange("x", 0, 1))
    }
}
