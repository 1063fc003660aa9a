import QtQuick
import QtQuick.Controls.Basic as Basic
import QtQuick.Templates as T
import VantrelTheme

T.Dialog {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            contentWidth + leftPadding + rightPadding,
                            implicitHeaderWidth, implicitFooterWidth)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             contentHeight + topPadding + bottomPadding
                             + (implicitHeaderHeight > 0 ? implicitHeaderHeight + spacing : 0)
                             + (implicitFooterHeight > 0 ? implicitFooterHeight + spacing : 0))
    padding: Theme.s(16)
    font.pixelSize: Theme.normalText

    PopupTransitions { id: transitions }
    enter: transitions.enter
    exit: transitions.exit

    background: Rectangle {
        color: Theme.background
        border.color: Theme.borderHovered
        border.width: Math.max(1, Theme.s(2))
        radius: Theme.s(4)
    }
    header: Text {
        text: control.title
        visible: control.title
        padding: Theme.s(16)
        bottomPadding: 0
        color: Theme.textLink
        font.family: control.font.family
        font.pixelSize: Theme.bigText
        font.bold: true
        elide: Text.ElideRight
    }
    footer: Basic.DialogButtonBox {
        visible: count > 0
        alignment: Qt.AlignRight
        background: Item {}
    }
    T.Overlay.modal: Rectangle { color: "#A0000000" }
}
