import QtQuick
import QtQuick.Templates as T
import VantrelTheme

T.ComboBox {
    id: control

    implicitWidth: Math.max(implicitBackgroundWidth + leftInset + rightInset,
                            implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: Math.max(implicitBackgroundHeight + topInset + bottomInset,
                             implicitContentHeight + topPadding + bottomPadding,
                             implicitIndicatorHeight + topPadding + bottomPadding)
    leftPadding: Theme.s(8)
    rightPadding: Theme.s(8) + indicator.width
    font.pixelSize: Theme.normalText

    ControlColors { id: colors; control: control }

    delegate: ItemDelegate {
        required property var modelData
        required property int index
        width: ListView.view.width
        text: control.textRole ? modelData[control.textRole] : modelData
        highlighted: control.highlightedIndex === index
        hoverEnabled: control.hoverEnabled
    }
    indicator: Text {
        x: control.width - width - Theme.s(8)
        y: (control.height - height) / 2
        text: "\u25BE"
        font.pixelSize: Theme.bigText
        color: control.enabled ? Theme.textLink : Theme.textBlocked
    }
    contentItem: T.TextField {
        text: control.editable ? control.editText : control.displayText
        enabled: control.editable
        autoScroll: control.editable
        readOnly: control.down
        inputMethodHints: control.inputMethodHints
        validator: control.validator
        selectByMouse: control.selectTextByMouse
        font: control.font
        color: control.enabled ? (control.acceptableInput ? Theme.textIdle : Theme.borderHovered) : Theme.textBlocked
        selectionColor: Theme.borderPressed
        selectedTextColor: Theme.textHovered
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        implicitWidth: Theme.s(220)
        implicitHeight: Theme.s(40)
        radius: Theme.s(4)
        color: colors.fill
        border.color: control.activeFocus ? Theme.borderHovered : colors.border
        border.width: Math.max(1, Theme.s(2))
    }
    PopupTransitions { id: transitions }

    popup: T.Popup {
        y: control.height
        width: control.width
        // Grows down from the box like the other pop-ups grow from their middle.
        transformOrigin: T.Popup.Top
        enter: transitions.enter
        exit: transitions.exit
        height: Math.min(contentItem.implicitHeight, control.Window.height - topMargin - bottomMargin)
        padding: 1
        contentItem: ListView {
            clip: true
            implicitHeight: contentHeight
            model: control.delegateModel
            currentIndex: control.highlightedIndex
        }
        background: Rectangle {
            color: Theme.background
            border.color: Theme.borderHovered
        }
    }
}
