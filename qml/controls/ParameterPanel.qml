import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../logic/NumberText.js" as NumberText

// One module's parameters, grouped in sections, each row shown by its kind: read-only labels,
// spin boxes and text fields limited to the row's range, switches. While the module's values are
// not fresh the rows say so as the home page does: without a reading the read-only values show
// "---", and every other row is greyed and marked "stale".
ListView {
    id: panel

    /// A good read has come since the module last failed (false: its values are the last known).
    property bool hasReading: true
    /// The last good read is older than three reading periods.
    property bool stale: false
    readonly property bool fresh: hasReading && !stale

    /// A row was changed by the operator; `value` is in the module's own units.
    signal parameterEdited(string name, var value)

    clip: true
    spacing: Theme.s(2)
    boundsBehavior: Flickable.StopAtBounds
    ScrollBar.vertical: ScrollBar {}

    section.property: "group"
    section.delegate: SectionTitle {
        // The section's name comes as a context property, not a required one: Qt 6.4 keeps
        // a required one at its first value when a model reset reuses the title.
        width: ListView.view.width
        topPadding: Theme.s(12)
        bottomPadding: Theme.s(4)
        text: section
    }

    delegate: RowLayout {
        id: row

        required property var model
        readonly property real shown: Number(model.value) * model.scale
        readonly property real low: model.range ? model.range.x : 0
        readonly property real high: model.range ? model.range.y : 0
        readonly property bool readOnly: model.type === DriverData.DriverDataTypeConstantDoubleFixed
                                         || model.type === DriverData.DriverDataTypeConstantDoublePrecision
        /// A read-only row without a reading shows "---" and needs no mark.
        readonly property bool markedStale: !panel.fresh && !(readOnly && !panel.hasReading)

        function send(value) {
            panel.parameterEdited(model.name, value)
        }

        width: ListView.view.width - Theme.s(12)
        height: Theme.s(46)
        visible: model.visible
        spacing: Theme.s(10)

        Label {
            Layout.fillWidth: true
            Layout.leftMargin: Theme.s(10)
            text: row.model.displayedName
            color: panel.fresh ? Theme.textIdle : Theme.textBlocked
        }
        // Looks as the home page's StaleMark does.
        Label {
            objectName: "parameterStale_" + row.model.name
            visible: row.markedStale
            text: "stale"
            color: Theme.textLink
            font.pixelSize: Theme.smallText
        }
        // The value or its editor, right-aligned in a column of fixed width.
        Item {
            Layout.preferredWidth: Theme.s(220)
            Layout.fillHeight: true
            opacity: row.markedStale ? 0.45 : 1

            Label {
                objectName: "parameterValue_" + row.model.name
                anchors.fill: parent
                visible: row.readOnly
                horizontalAlignment: Text.AlignRight
                font.pixelSize: Theme.bigText
                color: NumberText.isReading(row.shown, panel.fresh) ? Theme.textHovered : Theme.textBlocked
                text: row.model.type === DriverData.DriverDataTypeConstantDoublePrecision
                      ? NumberText.readingText(row.shown, panel.hasReading, function (v) { return NumberText.formatG(v, row.model.precision) })
                      : NumberText.readingText(row.shown, panel.hasReading, function (v) { return v.toFixed(row.model.precision) })
            }
            Loader {
                anchors.fill: parent
                anchors.margins: Theme.s(3)
                active: row.model.type === DriverData.DriverDataTypeDouble
                sourceComponent: NumberSpinBox {
                    objectName: "parameter_" + row.model.name
                    decimals: row.model.precision
                    minimum: row.low
                    maximum: row.high
                    realValue: row.shown
                    onEdited: function (value) {
                        row.model.value = value / row.model.scale
                        row.send(value / row.model.scale)
                    }
                }
            }
            Loader {
                anchors.fill: parent
                anchors.margins: Theme.s(3)
                active: row.model.type === DriverData.DriverDataTypeDoubleEdited
                sourceComponent: RangeTextField {
                    minimum: row.low
                    maximum: row.high
                    decimals: row.model.precision
                    realValue: row.shown
                    onEdited: function (value) { row.model.value = value / row.model.scale }
                }
            }
            Switch {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                visible: row.model.type === DriverData.DriverDataTypeBool
                checked: Boolean(row.model.value)
                onToggled: {
                    row.send(checked)
                    row.model.value = checked
                }
            }
        }
    }
}
