import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.BusyIndicator {
    id: control

    implicitWidth: Theme.s(64)
    implicitHeight: Theme.s(64)

    contentItem: Item {
        Rectangle {
            id: ring
            anchors.fill: parent
            radius: width / 2
            color: "transparent"
            border.color: Theme.borderIdle
            border.width: Theme.s(6)
            visible: control.running
        }
        Rectangle {
            width: Theme.s(14)
            height: width
            radius: width / 2
            color: Theme.borderHovered
            visible: control.running
            x: parent.width / 2 + (parent.width / 2 - width / 2 - Theme.s(3)) * Math.cos(angle) - width / 2
            y: parent.height / 2 + (parent.height / 2 - height / 2 - Theme.s(3)) * Math.sin(angle) - height / 2
            property real angle: 0
            NumberAnimation on angle { from: 0; to: 2 * Math.PI; duration: 1000; loops: Animation.Infinite; running: control.running }
        }
    }
}
