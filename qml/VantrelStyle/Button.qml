import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.Button {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight, implicitContentHeight + topPadding + bottomPadding)
    padding: Theme.s(10)
    horizontalPadding: Theme.s(18)
    font.pixelSize: Theme.normalText

    ControlColors { id: colors; control: control }

    contentItem: Text {
        text: control.text
        font: control.font
        color: control.checked ? Theme.textLink : colors.text
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    background: Rectangle {
        implicitWidth: Theme.s(100)
        implicitHeight: Theme.s(40)
        radius: Theme.s(4)
        color: colors.fill
        border.color: colors.border
        border.width: Math.max(1, Theme.s(2))
    }
}
