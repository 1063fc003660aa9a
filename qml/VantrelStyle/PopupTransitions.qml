import QtQuick
import VantrelTheme

// Opening fades in while growing from 0.8; closing fades out.
QtObject {
    readonly property Transition enter: Transition {
        NumberAnimation { property: "opacity"; from: 0; to: 1; duration: Theme.popupFadeInMs }
        NumberAnimation { property: "scale"; from: 0.8; to: 1; duration: Theme.popupScaleInMs; easing.type: Easing.OutQuad }
    }
    readonly property Transition exit: Transition {
        NumberAnimation { property: "opacity"; from: 1; to: 0; duration: Theme.popupFadeOutMs }
    }
}
