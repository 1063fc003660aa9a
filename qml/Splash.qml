import QtQuick
import QtQuick.Controls
import VantrelTheme

// The maker's picture of the welcome window, with the connection status under it.
Rectangle {
    id: splash

    property string maker: ""
    property color accent: Theme.textLink
    property string status: ""

    color: Theme.background
    border.color: accent
    border.width: Math.max(1, Theme.s(2))
    radius: Theme.s(8)

    Column {
        anchors.centerIn: parent
        width: parent.width - Theme.s(40)
        spacing: Theme.s(8)
        Label {
            width: parent.width
            visible: splash.maker !== ""
            text: splash.maker
            color: splash.accent
            font.pixelSize: Theme.bigText
            font.letterSpacing: Theme.s(6)
            horizontalAlignment: Text.AlignHCenter
        }
        Label {
            width: parent.width
            text: "SNSPD Vantrel Lab"
            color: Theme.textHovered
            font.pixelSize: Theme.hugeText
            font.bold: true
            horizontalAlignment: Text.AlignHCenter
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: Theme.normalText
        }
        Label {
            objectName: "splashStatus"
            width: parent.width
            text: splash.status
            color: Theme.textIdle
            font.pixelSize: Theme.normalText
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
