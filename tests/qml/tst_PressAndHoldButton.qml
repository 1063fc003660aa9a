import QtQuick
import QtTest
import "../../qml/controls"

TestCase {
    id: testCase
    name: "PressAndHoldButton"
    width: 400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: buttonComponent
        PressAndHoldButton { text: "Power off"; width: 300; height: 60 }
    }
    Component {
        id: spyComponent
        SignalSpy { signalName: "held" }
    }

    function makeButton() {
        var button = createTemporaryObject(buttonComponent, testCase)
        var spy = createTemporaryObject(spyComponent, testCase, { target: button })
        return { button: button, spy: spy }
    }

    // Held with the mouse or with Space (the key's auto-repeat is a real display's case).
    function press(button, byKey) {
        if (byKey) {
            button.forceActiveFocus()
            keyPress(Qt.Key_Space)
        } else {
            mousePress(button)
        }
    }
    function release(button, byKey) {
        if (byKey)
            keyRelease(Qt.Key_Space)
        else
            mouseRelease(button)
    }
    function test_firesOnlyAfterTheFullHold_data() {
        return [{ tag: "mouse", byKey: false, repeats: 0 }, { tag: "space", byKey: true, repeats: 0 },
                // A held key as X delivers it when it does not mark the repeats.
                { tag: "space repeating", byKey: true, repeats: 20 }]
    }
    function test_firesOnlyAfterTheFullHold(data) {
        var made = makeButton()
        compare(made.button.holdMs, 2000)
        press(made.button, data.byKey)
        tryVerify(function () { return made.button.progress > 0 }, 1000)
        for (var i = 0; i < data.repeats; ++i) {
            keyRelease(Qt.Key_Space)
            keyPress(Qt.Key_Space)
            wait(40)
        }
        // The ring went on through the repeats instead of starting again at each.
        if (data.repeats > 0)
            verify(made.button.progress > 0.2, made.button.progress)
        compare(made.spy.count, 0)
        made.spy.wait(5000)
        compare(made.spy.count, 1)
        compare(made.button.progress, 1)
        release(made.button, data.byKey)
        tryCompare(made.button, "progress", 0)
    }

    function test_earlyReleaseCancels_data() {
        return [{ tag: "mouse", byKey: false }, { tag: "space", byKey: true }]
    }
    function test_earlyReleaseCancels(data) {
        var made = makeButton()
        press(made.button, data.byKey)
        tryVerify(function () { return made.button.progress > 0 }, 1000)
        release(made.button, data.byKey)
        tryCompare(made.button, "progress", 0)
        // Longer than the hold time: nothing may fire after the release.
        wait(made.button.holdMs + 500)
        compare(made.spy.count, 0)
    }

    function test_disablingCancels() {
        var made = makeButton()
        mousePress(made.button)
        tryVerify(function () { return made.button.progress > 0 }, 1000)
        made.button.enabled = false
        compare(made.button.progress, 0)
        wait(made.button.holdMs + 500)
        compare(made.spy.count, 0)
    }
}
