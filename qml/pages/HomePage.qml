import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../controls"
import "../delegates"
import "../logic/ModuleKinds.js" as ModuleKinds

// Every module of the crate with its live values; the start point of all other pages.
BasePage {
    id: page

    mode: Worker.WorkerModeAllChannels
    property bool liveCountRateShown: false
    /// Wall clock for the "stale" marks, in ms since the epoch; ticks while the page shows.
    property double nowMs: Date.now()

    Timer {
        interval: 1000
        repeat: true
        running: page.visible
        onTriggered: page.nowMs = Date.now()
    }

    LoggingCategory { id: screensLog; name: "vt.screens" }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: Theme.s(16)
        spacing: Theme.s(10)

        RowLayout {
            Layout.fillWidth: true
            SectionTitle { text: "Modules (" + moduleList.count + ")" }
            Item { Layout.fillWidth: true }
            // One line at most: a longer status must never push the module list down.
            Label {
                objectName: "homeStatus"
                text: page.statusText.replace(/\s*[\r\n]+\s*/g, "  ")
                color: Theme.textBlocked
                font.pixelSize: Theme.smallText
                maximumLineCount: 1
                elide: Text.ElideRight
                Layout.maximumWidth: page.width / 3
            }
            ConnectionIndicator {}
            Button {
                id: settingsButton
                objectName: "settingsButton"
                text: "\u2630  Settings"
                onClicked: settingsMenu.open()
                Menu {
                    id: settingsMenu
                    y: settingsButton.height
                    x: settingsButton.width - width
                    width: Theme.s(300)
                    MenuItem { text: "Reconnect"; onTriggered: Worker.disconnect() }
                    MenuItem {
                        objectName: "deviceManagerItem"
                        text: "Device manager"
                        onTriggered: deviceManager.open()
                    }
                    MenuItem { text: "Save presets"; onTriggered: savePresets.open() }
                    MenuItem { text: "Restore presets"; onTriggered: restoreFile.open() }
                    MenuItem { text: "Turn on/off all"; onTriggered: turnOnAll.open() }
                    MenuItem { text: "Automation interface"; onTriggered: automationDialog.open() }
                }
            }
        }

        ListView {
            id: moduleList
            objectName: "moduleList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            spacing: Theme.s(8)
            model: DataModel
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {}

            delegate: ModuleDelegate {
                required property var model
                width: ListView.view.width - Theme.s(14)
                address: model.address
                type: model.type
                status: model.status
                operate: model.operate
                current: model.current
                cps: model.cps
                temperature: model.temperature
                latched: model.latched
                description: model.Description || ""
                nowMs: page.nowMs
                onParameterChanged: function (name, value) { Worker.setParameter(address, name, value) }
                // Told once, for demos and the end-to-end test that watch the program from outside.
                onHasReadingChanged: {
                    if (hasReading && kind === "sspd" && !page.liveCountRateShown) {
                        page.liveCountRateShown = true
                        console.info(screensLog, "home page shows live values")
                    }
                }
                onResetLatch: Worker.resetLatch(address)
                onOpenDriver: {
                    Worker.settings.activeChannel = address
                    page.openOther(ModuleKinds.driverTab(type))
                }
            }
            Label {
                anchors.centerIn: parent
                visible: moduleList.count === 0
                text: "No modules in the crate"
                color: Theme.textBlocked
            }
        }
    }

    TurnOnAllDialog { id: turnOnAll }
    AutomationDialog {
        id: automationDialog
        // Set by the program; absent where the screens run without it.
        target: typeof automation !== "undefined" ? automation : null
    }
    DeviceManagerPopup {
        id: deviceManager
        unitUpdateAvailable: true
        onUnitUpdateRequested: (module) => unitUpdate.openFor(module)
    }
    UnitUpdatePopup {
        id: unitUpdate
        onUpdateRequested: (address, url) => updateProgress.start(address, url)
    }
    UpdateProgressPopup { id: updateProgress }
    SavePresetsDialog { id: savePresets }
    FileChooser {
        id: restoreFile
        title: "Restore presets"
        saving: false
        kind: "presets"
        nameFilters: ["Presets (*.json)", "All files (*)"]
        onChosen: (path) => Worker.restorePresets(path)
    }
}
