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

    function test_firesOnlyAfterTheFullHold() {
        var made = makeButton()
        compare(made.button.holdMs, 2000)
        mousePress(made.button)
        tryVerify(function () { return made.button.progress > 0 }, 1000)
        compare(made.spy.count, 0)
        made.spy.wait(5000)
        compare(made.spy.count, 1)
        compare(made.button.progress, 1)
        mouseRelease(made.button)
        compare(made.button.progress, 0)
    }

    function test_earlyReleaseCancels() {
        var made = makeButton()
        mousePress(made.button)
        tryVerify(function () { return made.button.progress > 0 }, 1000)
        mouseRelease(made.button)
        compare(made.button.progress, 0)
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
