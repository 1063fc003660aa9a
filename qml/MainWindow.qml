import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "controls"
import "pages"

// Tabs over a stack of pages; each page is loaded when first selected and then kept.
ApplicationWindow {
    id: window

    title: "SNSPD Vantrel Lab"
    minimumWidth: Theme.sx(800)
    minimumHeight: Theme.sy(600)
    visible: false

    /// Names of the tabs shown in the bar, in bar order.
    property var openTabs: ["Home"]
    property string currentTab: "Home"
    property bool reading: false

    // Quitting stops a module's firmware update: ask first.
    onClosing: (close) => {
        if (typeof firmwareUpdate !== "undefined" && firmwareUpdate.running) {
            close.accepted = false
            quitDuringUpdate.open()
        }
    }

    ListModel {
        id: pages
        ListElement { name: "Home"; source: "pages/HomePage.qml"; icon: "\u2302"; inMenu: false }
        ListElement { name: "CPS(Time)"; source: "pages/CpsTimePage.qml"; icon: "\u223F"; inMenu: true }
        ListElement { name: "Temp(Time)"; source: "pages/TempTimePage.qml"; icon: "\u223F"; inMenu: true }
        ListElement { name: "CPS(Current)"; source: "pages/CpsCurrentPage.qml"; icon: "\u2197"; inMenu: true }
        ListElement { name: "CPS(Trigger)"; source: "pages/CpsTriggerPage.qml"; icon: "\u2198"; inMenu: true }
        ListElement { name: "IV curve"; source: "pages/IvCurvePage.qml"; icon: "\u223C"; inMenu: true }
        ListElement { name: "Histogram (cps)"; source: "pages/HistogramPage.qml"; icon: "\u2587"; inMenu: true }
        ListElement { name: "SSPD Driver"; source: "pages/SspdDriverPage.qml"; icon: ""; inMenu: false }
        ListElement { name: "Temp Driver"; source: "pages/TempDriverPage.qml"; icon: ""; inMenu: false }
        ListElement { name: "Recycle"; source: "pages/RecyclePage.qml"; icon: "\u2744"; inMenu: true }
    }

    function indexOfPage(name) {
        for (var i = 0; i < pages.count; ++i) {
            if (pages.get(i).name === name)
                return i
        }
        return -1
    }
    function pageItem(name) {
        var loader = stackRepeater.itemAt(indexOfPage(name))
        return loader ? loader.item : null
    }
    /// Shows the tab (adding it to the bar when hidden) and activates its page.
    function openTab(name) {
        var index = indexOfPage(name)
        if (index < 0)
            return
        if (openTabs.indexOf(name) < 0)
            openTabs = openTabs.concat([name])
        var previous = pageItem(currentTab)
        if (previous && currentTab !== name)
            previous.deactivate()
        currentTab = name
        var loader = stackRepeater.itemAt(index)
        loader.active = true
        if (loader.item)
            loader.item.activate()
    }
    function closeTab(name) {
        if (name === "Home")
            return
        openTabs = openTabs.filter(function (tab) { return tab !== name })
        if (currentTab === name)
            openTab("Home")
    }
    function initialize() {
        openTabs = ["Home"]
        reading = false
        openTab("Home")
        Updater.checkAvailableUpdates()
    }
    /// Shows the window maximised and in front.
    function present() {
        // Fill the screen even where no window manager maximises the window.
        width = Screen.desktopAvailableWidth
        height = Screen.desktopAvailableHeight
        showMaximized()
        raise()
        requestActivate()
    }
    function deinitialize() {
        var page = pageItem(currentTab)
        if (page)
            page.deactivate()
        Worker.activateMode(Worker.WorkerModeNoAction)
        hide()
    }

    header: Rectangle {
        implicitHeight: bar.implicitHeight
        color: Theme.background
        RowLayout {
            anchors.fill: parent
            spacing: 0
            TabBar {
                id: bar
                objectName: "tabBar"
                Layout.fillWidth: true
                enabled: !window.reading
                currentIndex: window.openTabs.indexOf(window.currentTab)
                Repeater {
                    model: window.openTabs
                    delegate: TabButton {
                        id: tab
                        required property string modelData
                        readonly property var entry: pages.get(window.indexOfPage(modelData))
                        width: Math.max(implicitWidth, Theme.s(190))
                        text: (entry && entry.icon ? entry.icon + "  " : "") + modelData
                        rightPadding: Theme.s(40)
                        onClicked: window.openTab(modelData)
                        Text {
                            anchors.right: parent.right
                            anchors.rightMargin: Theme.s(12)
                            anchors.verticalCenter: parent.verticalCenter
                            visible: tab.modelData !== "Home" && tab.hovered
                            text: "\u2715"
                            color: closeArea.containsMouse ? Theme.textLink : Theme.textIdle
                            font.pixelSize: Theme.normalText
                            MouseArea {
                                id: closeArea
                                anchors.fill: parent
                                anchors.margins: -Theme.s(6)
                                hoverEnabled: true
                                onClicked: window.closeTab(tab.modelData)
                            }
                        }
                    }
                }
            }
            Button {
                id: plusButton
                objectName: "plusButton"
                text: "+"
                enabled: !window.reading
                font.pixelSize: Theme.bigText
                onClicked: addMenu.open()
                Menu {
                    id: addMenu
                    // Opens leftwards: the button sits at the window's right edge, where the
                    // menu would be squeezed and its longer names cut.
                    x: plusButton.width - width
                    y: plusButton.height
                    Repeater {
                        model: pages
                        delegate: MenuItem {
                            required property string name
                            required property bool inMenu
                            text: name
                            // The recycle needs a four-channel temperature module in the crate.
                            visible: inMenu && window.openTabs.indexOf(name) < 0
                                     && (name !== "Recycle" || Worker.recycle.available)
                            height: visible ? implicitHeight : 0
                            onTriggered: window.openTab(name)
                        }
                    }
                }
            }
            UpdaterNotice {
                Layout.leftMargin: Theme.s(16)
            }
            Label {
                objectName: "versionLabel"
                Layout.leftMargin: Theme.s(16)
                Layout.rightMargin: Theme.s(16)
                text: "v" + Worker.WorkerVersion
                color: versionArea.containsMouse ? Theme.textLink : Theme.textBlocked
                font.pixelSize: Theme.smallText
                MouseArea {
                    id: versionArea
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: versionPopup.open()
                }
            }
        }
    }

    StackLayout {
        anchors.fill: parent
        currentIndex: window.indexOfPage(window.currentTab)
        Repeater {
            id: stackRepeater
            model: pages
            delegate: Loader {
                required property int index
                active: false
                source: pages.get(index).source
                onLoaded: {
                    item.openOther.connect(window.openTab)
                    item.startReading.connect(function () { window.reading = true })
                    item.stopReading.connect(function () { window.reading = false })
                }
            }
        }
    }

    ErrorDialog { id: errorDialog }
    MessageToast { id: messageToast; objectName: "messageToast" }
    Connections {
        target: Worker
        function onSendErrorMessage(title, error) { errorDialog.showError(title, error) }
        function onSendMessage(title, message) { messageToast.show(title, message) }
    }

    VersionPopup { id: versionPopup }
    FirmwareQuestion {
        id: quitDuringUpdate
        objectName: "quitDuringUpdate"
        title: "Quit during a firmware update?"
        text: "A module's firmware update is running. Quitting stops the transfer and unlocks the crate; "
              + "the module may be left without working firmware."
        acceptText: "Quit"
        rejectText: "Keep updating"
        onAccepted: Qt.quit()
    }
}
