import QtQuick
import QtTest
import "../../qml/logic/FirmwareChoice.js" as FirmwareChoice

TestCase {
    name: "FirmwareChoice"

    function test_modelString_data() {
        return [
            { tag: "SSPD M0", type: 0, model: "VT4SD" },
            { tag: "SSPD M1", type: 1, model: "VT4SD" },
            { tag: "temperature M1", type: 3, model: "VT4TD" },
            { tag: "heater", type: 4, model: "" },
        ]
    }
    function test_modelString(data) {
        compare(FirmwareChoice.modelString(data.type), data.model)
    }

    function test_preferred_data() {
        return [
            { tag: "the choice stays", choices: ["1", "2"], current: "2", own: "1", expected: "2" },
            { tag: "a choice gone: the module's own", choices: ["1", "2"], current: "3", own: "1", expected: "1" },
            { tag: "own revision by its major number", choices: ["1", "2"], current: "", own: "2.1", expected: "2" },
            { tag: "nothing fits: the first", choices: ["1.10.0", "1.9.0"], current: "", own: "", expected: "1.10.0" },
            { tag: "empty list", choices: [], current: "1", own: "1", expected: "" },
        ]
    }
    function test_preferred(data) {
        compare(FirmwareChoice.preferred(data.choices, data.current, data.own), data.expected)
    }
}
