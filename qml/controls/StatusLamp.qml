import QtQuick
import VantrelTheme
import "../logic/ModuleKinds.js" as ModuleKinds

// Round lamp showing a module's status: idle, active (a good read) or fault.
Rectangle {
    property var status: 0
    readonly property string kind: ModuleKinds.lampKind(status)

    implicitWidth: Theme.s(22)
    implicitHeight: implicitWidth
    radius: width / 2
    color: kind === "active" ? Theme.lampActive : kind === "fault" ? Theme.lampFault : Theme.lampIdle
    border.color: Theme.borderIdle
    border.width: 1
}
