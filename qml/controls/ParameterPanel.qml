import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import MyWorker 1.0
import VantrelTheme
import "../logic/NumberText.js" as NumberText

// One module's parameters, grouped in sections, each row shown by its kind: read-only labels,
// spin boxes and text fields limited to the row's range, switches.
ListView {
    id: panel

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
        }
        // The value or its editor, right-aligned in a column of fixed width.
        Item {
            Layout.preferredWidth: Theme.s(220)
            Layout.fillHeight: true

            Label {
                anchors.fill: parent
                visible: row.model.type === DriverData.DriverDataTypeConstantDoubleFixed
                         || row.model.type === DriverData.DriverDataTypeConstantDoublePrecision
                horizontalAlignment: Text.AlignRight
                font.pixelSize: Theme.bigText
                text: row.model.type === DriverData.DriverDataTypeConstantDoublePrecision
                      ? NumberText.readingText(row.shown, true, function (v) { return NumberText.formatG(v, row.model.precision) })
                      : NumberText.readingText(row.shown, true, function (v) { return v.toFixed(row.model.precision) })
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
