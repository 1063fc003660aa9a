import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.TabBar {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset, contentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset, contentHeight + topPadding + bottomPadding)
    spacing: Theme.s(2)

    contentItem: ListView {
        model: control.contentModel
        currentIndex: control.currentIndex
        spacing: control.spacing
        orientation: ListView.Horizontal
        boundsBehavior: Flickable.StopAtBounds
        flickableDirection: Flickable.AutoFlickIfNeeded
        snapMode: ListView.SnapToItem
        highlightMoveDuration: 0
        highlightRangeMode: ListView.ApplyRange
        preferredHighlightBegin: Theme.s(40)
        preferredHighlightEnd: width - Theme.s(40)
    }
    background: Rectangle {
        color: Theme.background
        Rectangle {
            anchors.bottom: parent.bottom
            width: parent.width
            height: Math.max(1, Theme.s(2))
            color: Theme.borderIdle
        }
    }
}
