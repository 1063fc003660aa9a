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

    function test_hardwareChoice_data() {
        return [
            { tag: "the module's own", choices: ["1", "2"], current: "", own: "1", unlocked: false, expected: "1" },
            { tag: "own revision by its major number", choices: ["1", "2"], current: "", own: "2.1", unlocked: false, expected: "2" },
            { tag: "own not published: nothing", choices: ["3"], current: "", own: "2.1", unlocked: false, expected: "" },
            { tag: "own unknown: nothing", choices: ["3"], current: "", own: undefined, unlocked: false, expected: "" },
            { tag: "a pick without the password: own", choices: ["1", "2"], current: "2", own: "1", unlocked: false, expected: "1" },
            { tag: "factory pick kept", choices: ["1", "2"], current: "2", own: "1", unlocked: true, expected: "2" },
            { tag: "factory pick gone: own", choices: ["1", "2"], current: "3", own: "1", unlocked: true, expected: "1" },
            { tag: "unlocked, own not published: nothing", choices: ["3"], current: "", own: "2", unlocked: true, expected: "" },
        ]
    }
    function test_hardwareChoice(data) {
        compare(FirmwareChoice.hardwareChoice(data.choices, data.current, data.own, data.unlocked), data.expected)
    }

    function test_versionChoice() {
        compare(FirmwareChoice.versionChoice(["1.10.0", "1.9.0"], ""), "1.10.0")
        compare(FirmwareChoice.versionChoice(["1.10.0", "1.9.0"], "1.9.0"), "1.9.0")
        compare(FirmwareChoice.versionChoice([], "1.9.0"), "")
    }

    function test_isForOtherHardware_data() {
        return [
            { tag: "own", modification: "0", revision: "2", expected: false },
            { tag: "other revision", modification: "0", revision: "3", expected: true },
            { tag: "other modification", modification: "1", revision: "2", expected: true },
        ]
    }
    function test_isForOtherHardware(data) {
        var module = { Modification: 0, Hardware: "2.1" }
        compare(FirmwareChoice.isForOtherHardware(module, data.modification, data.revision), data.expected)
    }
}
