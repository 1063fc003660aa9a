import QtQuick
import MyWorker 1.0

// What every page of the main window offers: activating it puts the worker into the page's
// mode, and the page may ask for another tab or report that it is reading.
Item {
    id: page

    property int mode: Worker.WorkerModeNoAction
    property bool reading: false
    /// The worker's status while this page shows; what another page's mode reported never
    /// reaches it.
    property string statusText: ""

    signal openOther(string name)
    signal startReading()
    signal stopReading()

    function activate() {
        Worker.initializeGUI(mode)
        Worker.activateMode(mode)
    }
    function deactivate() {
        Worker.deactivateMode(mode)
    }

    onVisibleChanged: if (visible) statusText = ""
    Connections {
        target: Worker
        enabled: page.visible
        function onStatusTextChanged() { page.statusText = Worker.statusText }
    }
}
