import QtQuick
import QtQuick.Controls
import QtTest
import "../../qml/delegates"

TestCase {
    id: testCase
    name: "ModuleDelegate"
    width: 1400
    height: 200
    visible: true
    when: windowShown

    Component {
        id: delegateComponent
        ModuleDelegate { width: 1400; address: 3; type: 0; nowMs: Date.now() }
    }
    Component {
        id: spyComponent
        SignalSpy {}
    }

    function operateSwitch(delegate) {
        return findChild(delegate, "operateSwitch3")
    }

    // The switch follows the module's own reports, never the last request.
    function test_switchShowsWhatTheModuleReported() {
        var delegate = createTemporaryObject(delegateComponent, testCase, { operate: true })
        verify(!operateSwitch(delegate).checked, "on before the module answered")
        delegate.status = 1
        verify(operateSwitch(delegate).checked)
        delegate.status = 2
        verify(!operateSwitch(delegate).checked, "on after the module stopped answering")
    }

    function test_toggleAsksOpensTheDriverAndWaitsForTheModule() {
        var delegate = createTemporaryObject(delegateComponent, testCase, { status: 1, operate: false })
        var asked = createTemporaryObject(spyComponent, testCase, { target: delegate, signalName: "parameterChanged" })
        var opened = createTemporaryObject(spyComponent, testCase, { target: delegate, signalName: "openDriver" })
        var control = operateSwitch(delegate)
        mouseClick(control)
        compare(asked.count, 1)
        compare(asked.signalArguments[0][0], "operate")
        compare(asked.signalArguments[0][1], true)
        compare(opened.count, 1)
        verify(!control.checked, "shows the request before the module reports it")
        delegate.operate = true
        verify(control.checked)
    }
}
