import QtQuick
import VantrelTheme

// The application window's own title bar: its title and minimise, maximise (or restore) and
// close buttons. Dragging the bar moves the window through the window manager and a double
// click maximises or restores it.
Rectangle {
    id: bar

    required property Window window
    readonly property bool maximized: window.visibility === Window.Maximized
                                      || window.visibility === Window.FullScreen
    readonly property int symbolSize: Theme.s(12)
    readonly property int lineWidth: Math.max(1, Theme.s(2))

    /// Minimising drops the maximised state; it is taken up again when the window comes back.
    property bool maximizeOnReturn: false

    function minimize() {
        maximizeOnReturn = maximized
        window.showMinimized()
    }
    function toggleMaximized() {
        if (maximized)
            window.showNormal()
        else
            window.showMaximized()
    }

    implicitHeight: Theme.s(40)
    color: Theme.background

    Connections {
        target: bar.window
        function onVisibilityChanged(visibility) {
            if (bar.maximizeOnReturn && visibility === Window.Windowed) {
                bar.maximizeOnReturn = false
                bar.window.showMaximized()
            }
        }
    }

    // Under the buttons, so it never sees their clicks. The window manager takes the move over
    // at once and gets the button's release itself.
    MouseArea {
        anchors.fill: parent
        onPressed: bar.window.startSystemMove()
        onDoubleClicked: bar.toggleMaximized()
    }

    Text {
        anchors.left: parent.left
        anchors.leftMargin: Theme.s(16)
        anchors.right: buttons.left
        anchors.verticalCenter: parent.verticalCenter
        text: bar.window.title
        color: bar.window.active ? Theme.textIdle : Theme.textBlocked
        font.family: Theme.fontFamily
        font.pixelSize: Theme.smallText
        elide: Text.ElideRight
    }
    Row {
        id: buttons
        anchors.right: parent.right
        height: parent.height

        WindowButton {
            objectName: "windowMinimize"
            height: parent.height
            onClicked: bar.minimize()
            contentItem: Item {
                Rectangle {
                    anchors.centerIn: parent
                    width: bar.symbolSize
                    height: bar.lineWidth
                    color: Theme.textIdle
                }
            }
        }
        WindowButton {
            objectName: "windowMaximize"
            height: parent.height
            onClicked: bar.toggleMaximized()
            // One frame to maximise; two overlapping frames to restore.
            contentItem: Item {
                Rectangle {
                    visible: bar.maximized
                    x: (parent.width - width) / 2 + bar.lineWidth * 2
                    y: (parent.height - height) / 2 - bar.lineWidth * 2
                    width: bar.symbolSize - bar.lineWidth * 2
                    height: width
                    color: "transparent"
                    border.color: Theme.textIdle
                    border.width: bar.lineWidth
                }
                Rectangle {
                    anchors.centerIn: parent
                    width: bar.maximized ? bar.symbolSize - bar.lineWidth * 2 : bar.symbolSize
                    height: width
                    color: Theme.background
                    border.color: Theme.textIdle
                    border.width: bar.lineWidth
                }
            }
        }
        WindowButton {
            objectName: "windowClose"
            height: parent.height
            hoverColor: Theme.lampFault
            onClicked: bar.window.close()
            contentItem: Text {
                text: "\u2715"
                color: Theme.textIdle
                font.family: Theme.fontFamily
                font.pixelSize: Theme.normalText
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
    }
    Rectangle {
        anchors.bottom: parent.bottom
        width: parent.width
        height: 1
        color: Theme.borderIdle
    }
}
