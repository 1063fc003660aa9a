#include "SweepParameterLists.h"
#include "cSweepParameters.h"

namespace {
using Kind = DriverDataModel::DriverDataModelType;
constexpr Kind Spin = DriverDataModel::DriverDataTypeDouble;
constexpr Kind Edited = DriverDataModel::DriverDataTypeDoubleEdited;
constexpr double Micro = 1e6; ///< A shown as uA
constexpr double Milli = 1e3; ///< V shown as mV
const QString BiasGroup = QStringLiteral("Bias source");
const QString HistogramGroup = QStringLiteral("Histogram");

ParameterItem row(const char *name, const QString &label, double value, const QString &group, Kind kind,
                  double scale, int decimals, double low, double high)
{
    return ParameterItem(QLatin1String(name), label, value, group, kind, true, scale, decimals,
                         QPointF(low, high));
}

/// The hidden slot where the worker keeps the sweep's running point.
ParameterItem runningPoint()
{
    return ParameterItem(QStringLiteral("current"), QString(), 0.0, QString(),
                         DriverDataModel::DriverDataTypeConstantDoublePrecision, false, 1, 2, QPointF(0, 0));
}

ParameterItem timeConstant(const QString &group)
{
    return row("time_constant", QStringLiteral("Time Constant (s):"), 1, group, Spin, 1, 2, 0.01, 10);
}

/// Whether an IV curve comes back to its start in the same run, to show the hysteresis.
ParameterItem bothWays()
{
    return ParameterItem(QLatin1String(cSweepParameters::BothWaysKey), QStringLiteral("Up and down:"), false,
                         BiasGroup, DriverDataModel::DriverDataTypeBool, true, 1, 0, QPointF(0, 1));
}

QList<ParameterItem> currentSweep(bool withTrigger)
{
    // The labels' unit is the Greek mu with a Latin A.
    QList<ParameterItem> items{
        row("from", QStringLiteral("From (\u03BCA):"), 1.5e-5, BiasGroup, Spin, Micro, 2, -2500, 2500),
        row("to", QStringLiteral("To (\u03BCA):"), 2.5e-5, BiasGroup, Spin, Micro, 2, -2500, 2500),
        row("step", QStringLiteral("Step (\u03BCA):"), 1e-7, BiasGroup, Spin, Micro, 2, 0, 1000),
    };
    if (withTrigger)
        items << row("trigger", QStringLiteral("Stop trigger (mV):"), 0.1, BiasGroup, Spin, Milli, 0, 0,
                     5000);
    else
        items << bothWays();
    return items << timeConstant(BiasGroup) << runningPoint();
}

QList<ParameterItem> triggerSweep()
{
    return {
        row("from", QStringLiteral("From (mV):"), 0, BiasGroup, Spin, Milli, 0, -3000, 3000),
        row("to", QStringLiteral("To (mV):"), 0.2, BiasGroup, Spin, Milli, 0, -3000, 3000),
        row("step", QStringLiteral("Step (mV):"), 0.005, BiasGroup, Spin, Milli, 0, 0, 3000),
        timeConstant(BiasGroup),
        runningPoint(),
    };
}

QList<ParameterItem> histogram()
{
    return {
        row("from", QStringLiteral("From  (cps):"), 0, HistogramGroup, Edited, 1, 2, 0, 1e9),
        row("to", QStringLiteral("To (cps):"), 1000, HistogramGroup, Edited, 1, 2, 0, 1e9),
        row("step", QStringLiteral("Bin width:"), 1, HistogramGroup, Edited, 1, 2, 0, 1e9),
        timeConstant(HistogramGroup),
        runningPoint(),
    };
}
} // namespace

QMap<WorkerTypes::WorkerMode, QList<ParameterItem>> SweepParameterLists::build()
{
    return {
        {WorkerTypes::WorkerModeCpsVersCurrent, currentSweep(true)},
        {WorkerTypes::WorkerModeCpsVersTrigger, triggerSweep()},
        {WorkerTypes::WorkerModeIVCurves, currentSweep(false)},
        {WorkerTypes::WorkerModeHistogram, histogram()},
    };
}
