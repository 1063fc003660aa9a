import QtQuick
import MyWorker 1.0

// The main window is the root; the welcome window belongs to it and comes first.
MainWindow {
    id: mainWindow

    function showMainWindow() {
        initialize()
        // Fill the screen even where no window manager maximises the window.
        width = Screen.desktopAvailableWidth
        height = Screen.desktopAvailableHeight
        showMaximized()
    }

    WelcomeWindow {
        id: welcome
        onCrateConnected: mainWindow.showMainWindow()
    }
    Connections {
        target: Worker
        function onDisconnected() {
            mainWindow.deinitialize()
            welcome.showForm()
        }
    }
}
