import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ProgressBar {
    id: control

    implicitWidth: Theme.s(200)
    implicitHeight: Theme.s(12)

    background: Rectangle {
        color: Theme.controlBackground
        border.color: control.enabled ? Theme.borderIdle : Theme.borderDisabled
        radius: height / 2
    }
    contentItem: Item {
        Rectangle {
            width: control.visualPosition * parent.width
            height: parent.height
            radius: height / 2
            color: Theme.borderHovered
        }
    }
}
