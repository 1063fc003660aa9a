import QtQuick
import QtQuick.Window
import MyWorker 1.0

// The welcome window and the main window are siblings: a window declared inside another one
// would be transient for it, never mapped while the outer one is hidden and mapped again with
// it. The welcome window shows at start and after a disconnection; the main window once a
// crate is connected.
QtObject {
    id: root

    property Window mainWindow: MainWindow {
        objectName: "mainWindow"
    }
    property Window welcome: WelcomeWindow {
        objectName: "welcomeWindow"
        onCrateConnected: root.showMainWindow()
    }
    property var disconnections: Connections {
        target: Worker
        function onDisconnected() {
            root.mainWindow.deinitialize()
            root.welcome.showForm()
        }
    }

    function showMainWindow() {
        mainWindow.initialize()
        mainWindow.present()
    }
}
