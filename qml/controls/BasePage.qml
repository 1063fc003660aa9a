import QtQuick
import MyWorker 1.0

// What every page of the main window offers: activating it puts the worker into the page's
// mode, and the page may ask for another tab or report that it is reading.
Item {
    id: page

    property int mode: Worker.WorkerModeNoAction
    property bool reading: false

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
}
