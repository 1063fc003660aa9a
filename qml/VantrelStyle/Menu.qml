import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.Menu {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset, contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, contentHeight + topPadding + bottomPadding)
    padding: Math.max(1, Theme.s(2))
    font.pixelSize: Theme.normalText

    PopupTransitions { id: transitions }
    enter: transitions.enter
    exit: transitions.exit

    delegate: MenuItem {}
    contentItem: ListView {
        implicitHeight: contentHeight
        model: control.contentModel
        interactive: Window.window ? contentHeight + control.topPadding + control.bottomPadding > Window.window.height : false
        clip: true
        currentIndex: control.currentIndex
    }
    background: Rectangle {
        implicitWidth: Theme.s(260)
        color: Theme.background
        border.color: Theme.borderHovered
        border.width: Math.max(1, Theme.s(2))
    }
}
