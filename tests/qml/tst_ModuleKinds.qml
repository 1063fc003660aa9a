import QtQuick
import QtTest
import "../../qml/logic/ModuleKinds.js" as ModuleKinds
import "../../qml/logic/Address.js" as Address

TestCase {
    name: "ModuleKinds"

    function test_delegateChoice_data() {
        return [
            { tag: "SSPD M0", type: 0, kind: "sspd", tab: "SSPD Driver", controlled: true },
            { tag: "SSPD M1", type: 1, kind: "sspd", tab: "SSPD Driver", controlled: true },
            { tag: "temperature M0", type: 2, kind: "temperature", tab: "Temp Driver", controlled: true },
            { tag: "temperature M1", type: 3, kind: "temperature", tab: "", controlled: false },
            { tag: "other module", type: 4, kind: "other", tab: "", controlled: false },
            { tag: "type missing", type: undefined, kind: "other", tab: "", controlled: false },
        ]
    }
    function test_delegateChoice(data) {
        compare(ModuleKinds.delegateKind(data.type), data.kind)
        compare(ModuleKinds.driverTab(data.type), data.tab)
        compare(ModuleKinds.isControlled(data.type), data.controlled)
    }

    function test_lampKind_data() {
        return [
            { tag: "idle", status: 0, expected: "idle" },
            { tag: "active", status: 1, expected: "active" },
            { tag: "fault", status: 2, expected: "fault" },
            { tag: "unknown", status: 7, expected: "idle" },
        ]
    }
    function test_lampKind(data) {
        compare(ModuleKinds.lampKind(data.status), data.expected)
    }

    function test_address_data() {
        return [
            { tag: "padded default", text: "127.000.000.001", valid: true },
            { tag: "plain", text: "192.168.1.20", valid: true },
            { tag: "octet too big", text: "256.0.0.1", valid: false },
            { tag: "three parts", text: "10.0.1", valid: false },
            { tag: "host name", text: "crate.local", valid: false },
            { tag: "empty", text: "", valid: false },
        ]
    }
    function test_address(data) {
        compare(Address.isIpv4(data.text), data.valid)
    }
}
