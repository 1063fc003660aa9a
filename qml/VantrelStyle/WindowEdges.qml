import QtQuick
import VantrelTheme

// Grips along the sides and corners of a frameless window that hand a press to the window
// manager's resize; off while the window is maximised.
Item {
    id: edges

    required property Window window
    readonly property int grip: Math.max(3, Theme.s(6)) ///< grip breadth, px

    enabled: window.visibility === Window.Windowed

    // Each grip by its side: -1 left (top), 0 middle, 1 right (bottom).
    Repeater {
        model: [[-1, -1], [0, -1], [1, -1], [-1, 0], [1, 0], [-1, 1], [0, 1], [1, 1]]
        delegate: MouseArea {
            required property var modelData
            readonly property int sideX: modelData[0]
            readonly property int sideY: modelData[1]
            x: sideX < 0 ? 0 : sideX > 0 ? edges.width - edges.grip : edges.grip
            y: sideY < 0 ? 0 : sideY > 0 ? edges.height - edges.grip : edges.grip
            width: sideX === 0 ? edges.width - 2 * edges.grip : edges.grip
            height: sideY === 0 ? edges.height - 2 * edges.grip : edges.grip
            cursorShape: sideX !== 0 && sideY !== 0 ? (sideX === sideY ? Qt.SizeFDiagCursor : Qt.SizeBDiagCursor)
                       : sideX !== 0 ? Qt.SizeHorCursor : Qt.SizeVerCursor
            onPressed: edges.window.startSystemResize((sideX < 0 ? Qt.LeftEdge : 0) | (sideX > 0 ? Qt.RightEdge : 0)
                                                      | (sideY < 0 ? Qt.TopEdge : 0) | (sideY > 0 ? Qt.BottomEdge : 0))
        }
    }
}
