import QtQuick
import QtQuick.Controls
import VantrelTheme

Label {
    color: Theme.textLink
    font.pixelSize: Theme.bigText
    font.bold: true
}
