#include "ParameterListBuilder.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"
#include "ParameterItemBoolean.h"

namespace {

using Kind = DriverDataModel::DriverDataModelType;
constexpr Kind Fixed = DriverDataModel::DriverDataTypeConstantDoubleFixed;
constexpr Kind Precision = DriverDataModel::DriverDataTypeConstantDoublePrecision;
constexpr Kind Double = DriverDataModel::DriverDataTypeDouble;
constexpr Kind Bool = DriverDataModel::DriverDataTypeBool;

/// Marks a row present for every module type of its list.
constexpr int AnyType = -1;

/// One row as written in the panel tables; scale, precision and range apply to numeric rows.
struct RowSpec
{
    const char *name;
    const char *caption; ///< UTF-8
    const char *group;
    Kind kind;
    double scale;
    int precision;
    double low; ///< shown units
    double high;
    int onlyForType;
};

// Scales: A -> uA 1e6, V -> mV 1e3. Ranges are in shown units. The bias range is the bias
// source's own: the module clamps a larger set point, so it is refused before it is sent.
const RowSpec SspdRows[] = {
    {"current", "Current (μA)", "Bias source", Double, 1000000.0, 1, -100.0, 100.0, AnyType},
    {"currentMonitor", "Current monitor (μA)", "Bias source", Fixed, 1000000.0, 1, -2500.0, 2500.0,
     DataProviderList::DeviceTypeSspdM1},
    {"voltage", "Voltage (mV)", "Bias source", Fixed, 1000.0, 2, 0, 0, AnyType},
    {"status_shorted", "Shorted", "Bias source", Bool, 1.0, 0, 0, 0, AnyType},
    {"status_amplifier_on", "Amplifier", "Read out", Bool, 1.0, 0, 0, 0, AnyType},
    {"status_comparator_on", "Comparator", "Read out", Bool, 1.0, 0, 0, 0, AnyType},
    {"cmp_ref_level", "Trigger (mV)", "Read out", Double, 1000.0, 0, -100.0, 1000.0, AnyType},
    {"status_hfmode_on", "HF mode", "Read out", Bool, 1.0, 0, 0, 0, DataProviderList::DeviceTypeSspdM1},
    {"status_counter_on", "Counter on", "Counter", Bool, 1.0, 0, 0, 0, AnyType},
    {"status_rfkey_to_cmp", "RF out to comparator", "Counter", Bool, 1.0, 0, 0, 0,
     DataProviderList::DeviceTypeSspdM0},
    {"time_const", "Time constant (s)", "Counter", Double, 1.0, 2, 0.01, 100.0, AnyType},
    {"counts", "Counts", "Counter", Precision, 1.0, 4, 0, 0, AnyType},
    {"cps", "Counts per seconds (1/s)", "Counter", Precision, 1.0, 4, 0, 0, AnyType},
    {"status_autoreset_on", "Auto reset on", "Auto reset system", Bool, 1.0, 0, 0, 0, AnyType},
    {"auto_reset_threshold", "Threshold (V)", "Auto reset system", Double, 1.0, 2, 0, 1.0, AnyType},
    {"auto_reset_time_out", "Time out (s)", "Auto reset system", Double, 1.0, 2, 0.01, 1.0, AnyType},
    {"auto_reset_counts", "Auto reset events count", "Auto reset system", Fixed, 1.0, 0, 0, 0, AnyType},
};

const RowSpec TemperatureRows[] = {
    {"temperature", "Temperature (K)", "Temperature", Fixed, 1.0, 3, 0, 0, AnyType}, // 1 mK on a cold stage
    {"operate", "Commutator", "Temperature", Bool, 1.0, 0, 0, 0, AnyType},
    {"temperature_sensor_current", "Current (μA)", "Advanced", Double, 1000000.0, 1, 0, 25.0, AnyType},
    {"temperature_sensor_voltage", "Voltage (V)", "Advanced", Fixed, 1.0, 3, 0, 0, AnyType},
    {"pressure_sensor_voltage_pos", "Pressure sensor P (V)", "Advanced", Fixed, 1.0, 3, 0, 0, AnyType},
    {"pressure_sensor_voltage_neg", "Pressure sensor N (V)", "Advanced", Fixed, 1.0, 3, 0, 0, AnyType},
    {"pressure", "Pressure (mbar)", "Advanced", Fixed, 1.0, 3, 0, 0, AnyType},
};

ParameterItem rowFor(const RowSpec &spec, const DataProviderItem &module)
{
    const QString name = QString::fromLatin1(spec.name);
    const QString caption = QString::fromUtf8(spec.caption);
    const QString group = QString::fromLatin1(spec.group);
    if (spec.kind == Bool)
        return ParameterItemBoolean(name, caption, module.byName(name).toBool(), group);
    return ParameterItem(name, caption, module.byName(name), group, spec.kind, true, spec.scale,
                         spec.precision, QPointF(spec.low, spec.high));
}

template <size_t N>
QList<ParameterItem> rowsFor(const RowSpec (&specs)[N], int type, const DataProviderItem &module)
{
    QList<ParameterItem> rows;
    for (const RowSpec &spec : specs) {
        if (spec.onlyForType == AnyType || spec.onlyForType == type)
            rows.append(rowFor(spec, module));
    }
    return rows;
}

} // namespace

QList<ParameterItem> ParameterListBuilder::forModule(const DataProviderItem &module)
{
    const QVariant type = module.byName(QStringLiteral("type"));
    if (type == QVariant(int(DataProviderList::DeviceTypeSspdM0)))
        return rowsFor(SspdRows, DataProviderList::DeviceTypeSspdM0, module);
    if (type == QVariant(int(DataProviderList::DeviceTypeSspdM1)))
        return rowsFor(SspdRows, DataProviderList::DeviceTypeSspdM1, module);
    if (type == QVariant(int(DataProviderList::DeviceTypeTempM0)))
        return rowsFor(TemperatureRows, DataProviderList::DeviceTypeTempM0, module);
    return {};
}
