import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.Label {
    color: enabled ? Theme.textIdle : Theme.textBlocked
    linkColor: Theme.textLink
    font.pixelSize: Theme.normalText
    verticalAlignment: Text.AlignVCenter
    elide: Text.ElideRight
}
