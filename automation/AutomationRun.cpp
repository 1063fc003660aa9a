#include "AutomationRun.h"
#include "AutomationArguments.h"
#include "CountRateFloor.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "ModuleKinds.h"
#include "Settings.h"
#include "SweepParameterLists.h"

#include <QJsonArray>
#include <QMetaEnum>
#include <QtCharts/QLineSeries>

#include <cmath>

namespace {
const QString Busy = QStringLiteral("busy");
constexpr int MaxKindLength = 16;
const QString MicroAmpere = QStringLiteral("uA");
const QString MilliVolt = QStringLiteral("mV");
const QString CountRate = QStringLiteral("cps");

struct SweepKind
{
    const char *name;
    WorkerAsync::WorkerMode mode;
    const QString &xUnit;
    const QString &yUnit;
};
const SweepKind SweepKinds[] = {
    {"cps_vs_current", WorkerAsync::WorkerModeCpsVersCurrent, MicroAmpere, CountRate},
    {"cps_vs_trigger", WorkerAsync::WorkerModeCpsVersTrigger, MilliVolt, CountRate},
    {"iv_curve", WorkerAsync::WorkerModeIVCurves, MilliVolt, MicroAmpere},
};

/// Modes that measure until stopped or step a setting, as opposed to showing the modules' values.
bool isMeasurement(WorkerAsync::WorkerMode mode)
{
    return WorkerAsync::isSweep(mode) || mode == WorkerAsync::WorkerModeCpsVersTime ||
           mode == WorkerAsync::WorkerModeTemperatureVersTime || mode == WorkerAsync::WorkerModeHistogram;
}

QString modeName(WorkerAsync::WorkerMode mode)
{
    return QString::fromLatin1(QMetaEnum::fromType<WorkerAsync::WorkerMode>().valueToKey(mode));
}
} // namespace

AutomationRun::AutomationRun(WorkerAsync *facade, QObject *parent) : QObject(parent), m_facade(facade)
{
    connect(m_facade, &WorkerAsync::sweepFinished, this, [this] {
        if (!isRunning() || !WorkerAsync::isSweep(m_mode))
            return;
        m_complete = true;
        end();
    });
}

bool AutomationRun::isRunning() const
{
    // A screen that starts a mode of its own takes over from the script.
    return m_active && m_facade->currentMode() == m_mode;
}

std::optional<AutomationReply> AutomationRun::refuseStart() const
{
    if (isRunning())
        return AutomationReply::failure(
            Busy, QStringLiteral("a %1 run is going; stop it first").arg(modeName(m_mode)));
    // A measurement someone started on the screen is theirs to stop.
    const WorkerAsync::WorkerMode current = m_facade->currentMode();
    if (isMeasurement(current))
        return AutomationReply::failure(
            Busy, QStringLiteral("the screen is running a %1 measurement").arg(modeName(current)));
    if (m_facade->dataList()->items().isEmpty())
        return AutomationReply::failure(QStringLiteral("not-connected"),
                                        QStringLiteral("no crate modules are listed; connect first"));
    return std::nullopt;
}

bool AutomationRun::findModule(int address, bool (*fits)(const DataProviderItem &), const QString &kindName,
                               AutomationArguments &arguments) const
{
    for (const DataProviderItem &item : m_facade->dataList()->items()) {
        if (item.byName(QStringLiteral("address")).toInt() == address && fits(item))
            return true;
    }
    arguments.fail(QStringLiteral("no-module"),
                   QStringLiteral("no %1 module at bus address %2").arg(kindName).arg(address));
    return false;
}

AutomationReply AutomationRun::startTrace(AutomationArguments &arguments)
{
    if (const std::optional<AutomationReply> refusal = refuseStart())
        return *refusal;
    if (!arguments.onlyKnown(
            {QStringLiteral("kind"), QStringLiteral("addresses"), QStringLiteral("time_constant")}))
        return arguments.failure();
    const QString kind = arguments.has(QStringLiteral("kind"))
                             ? arguments.text(QStringLiteral("kind"), MaxKindLength).value_or(QString())
                             : CountRate;
    const bool countRate = kind == CountRate;
    if (!arguments.failed() && !countRate && kind != QLatin1String("temperature"))
        arguments.fail(QStringLiteral("bad-argument"),
                       QStringLiteral("\"kind\" must be \"cps\" or \"temperature\""));
    const std::optional<QList<int>> addresses = arguments.addresses(QStringLiteral("addresses"));
    const double timeConstant = arguments.has(QStringLiteral("time_constant"))
                                    ? arguments
                                          .numberWithin(QStringLiteral("time_constant"), MinTimeConstantS,
                                                        MaxTimeConstantS, QStringLiteral("s"))
                                          .value_or(0)
                                    : m_facade->settings()->timeConstant();
    QStringList names;
    for (const int address : addresses.value_or(QList<int>{})) {
        if (!findModule(address, countRate ? &ModuleKinds::isDetector : &ModuleKinds::isThermometer,
                        countRate ? QStringLiteral("detector") : QStringLiteral("temperature"), arguments))
            break;
        // The facade finds a trace's channels by these names.
        names << (countRate ? QStringLiteral("SSPD %1") : QStringLiteral("Temperature %1")).arg(address);
    }
    if (arguments.failed())
        return arguments.failure();
    m_facade->settings()->setTimeConstant(timeConstant);
    begin(countRate ? WorkerAsync::WorkerModeCpsVersTime : WorkerAsync::WorkerModeTemperatureVersTime, names,
          QStringLiteral("ms since 1970-01-01 UTC"), countRate ? CountRate : QStringLiteral("K"));
    return AutomationReply::success(QJsonObject{{QStringLiteral("mode"), modeName(m_mode)}});
}

AutomationReply AutomationRun::startSweep(AutomationArguments &arguments)
{
    if (const std::optional<AutomationReply> refusal = refuseStart())
        return *refusal;
    const QStringList valueNames{QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("step"),
                                 QStringLiteral("time_constant"), QStringLiteral("trigger")};
    if (!arguments.onlyKnown(valueNames + QStringList{QStringLiteral("kind"), QStringLiteral("address")}))
        return arguments.failure();
    const QString kindName = arguments.text(QStringLiteral("kind"), MaxKindLength).value_or(QString());
    const SweepKind *kind =
        std::find_if(std::begin(SweepKinds), std::end(SweepKinds),
                     [&](const SweepKind &k) { return kindName == QLatin1String(k.name); });
    if (!arguments.failed() && kind == std::end(SweepKinds))
        arguments.fail(
            QStringLiteral("bad-argument"),
            QStringLiteral("\"kind\" must be \"cps_vs_current\", \"cps_vs_trigger\" or \"iv_curve\""));
    const std::optional<int> address = arguments.address();
    if (arguments.failed() ||
        !findModule(*address, &ModuleKinds::isDetector, QStringLiteral("detector"), arguments))
        return arguments.failure();

    // The values are checked against a fresh copy of the sweep panel, so a refusal changes nothing.
    QList<ParameterItem> panel = SweepParameterLists::build().value(kind->mode);
    QVariantMap values;
    for (ParameterItem &item : panel) {
        if (!item.visible())
            continue;
        values.insert(item.name(), item.value());
        if (!arguments.has(item.name()))
            continue;
        const QPointF range = item.range();
        const QString unit = item.scale() == 1     ? QStringLiteral("s")
                             : item.scale() == 1e6 ? QStringLiteral("A")
                                                   : QStringLiteral("V");
        if (const std::optional<double> value =
                arguments.numberWithin(item.name(), range.x() / item.scale(), range.y() / item.scale(), unit))
            values.insert(item.name(), *value);
    }
    for (const QString &name : valueNames) {
        if (arguments.has(name) && !values.contains(name))
            arguments.fail(QStringLiteral("bad-argument"),
                           QStringLiteral("a %1 sweep has no \"%2\"").arg(kindName, name));
    }
    if (arguments.failed())
        return arguments.failure();
    const double span = std::abs(values.value(QStringLiteral("to")).toDouble() -
                                 values.value(QStringLiteral("from")).toDouble());
    const double step = values.value(QStringLiteral("step")).toDouble();
    if (step <= 0 || span == 0 || span / step > MaxSweepSteps)
        return AutomationReply::failure(
            QStringLiteral("out-of-range"),
            QStringLiteral("\"from\" and \"to\" must differ and \"step\" must be above 0, "
                           "with at most %1 steps between them")
                .arg(MaxSweepSteps));

    // As the sweep page does it: its panel, its channel, its series, then the mode.
    m_facade->initializeGUI(kind->mode);
    DriverDataModel *model = m_facade->settings()->SweepParameterModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row);
        const QString name = model->data(index, DriverDataModel::NameRole).toString();
        if (values.contains(name))
            model->setData(index, values.value(name), DriverDataModel::ValueRole);
    }
    m_facade->settings()->setActiveChannel(*address);
    begin(kind->mode, {QStringLiteral("SSPD %1").arg(*address)}, kind->xUnit, kind->yUnit);
    return AutomationReply::success(
        QJsonObject{{QStringLiteral("mode"), modeName(m_mode)},
                    {QStringLiteral("parameters"), QJsonObject::fromVariantMap(values)}});
}

void AutomationRun::begin(WorkerAsync::WorkerMode mode, const QStringList &seriesNames, const QString &xUnit,
                          const QString &yUnit)
{
    QList<QAbstractSeries *> handedOver;
    for (const QPointer<QXYSeries> &old : std::as_const(m_series))
        delete old.data();
    m_series.clear();
    for (const QString &name : seriesNames) {
        auto *series = new QLineSeries(this);
        series->setName(name);
        m_series << series;
        handedOver << series;
    }
    // Polling as the screen did (home, a driver page) comes back after the run.
    m_modeBefore = m_facade->currentMode();
    m_mode = mode;
    m_xUnit = xUnit;
    m_yUnit = yUnit;
    m_complete = false;
    m_active = true;
    m_facade->settings()->setSeries(handedOver);
    m_facade->activateMode(mode);
}

void AutomationRun::end()
{
    m_active = false;
    m_facade->activateMode(m_modeBefore);
}

AutomationReply AutomationRun::stop()
{
    const bool wasRunning = isRunning();
    if (wasRunning)
        end();
    return AutomationReply::success(QJsonObject{{QStringLiteral("stopped"), wasRunning}});
}

AutomationReply AutomationRun::progress() const
{
    qsizetype points = 0;
    for (const QPointer<QXYSeries> &series : m_series)
        points += series ? m_facade->pointsTaken(series).size() : 0;
    return AutomationReply::success(QJsonObject{
        {QStringLiteral("running"), isRunning()},
        {QStringLiteral("mode"), modeName(m_mode)},
        {QStringLiteral("complete"), m_complete},
        {QStringLiteral("percent"), WorkerAsync::isSweep(m_mode) ? m_facade->progress() : 0.0},
        {QStringLiteral("points"), double(points)},
        {QStringLiteral("status"), m_facade->statusText()},
        {QStringLiteral("connection"), m_facade->connectionText()},
    });
}

AutomationReply AutomationRun::series() const
{
    if (isRunning())
        return AutomationReply::failure(
            Busy, QStringLiteral("the run is still going; stop it or wait for its end"));
    if (m_series.isEmpty())
        return AutomationReply::failure(QStringLiteral("no-series"),
                                        QStringLiteral("no run has been made yet"));
    QJsonArray list;
    for (const QPointer<QXYSeries> &series : m_series) {
        if (!series)
            continue;
        QJsonArray xs;
        QJsonArray ys;
        QJsonArray latched;
        // The measured values: a count rate of 0 is drawn at the chart's log floor, but is 0.
        const QList<QPointF> points = m_facade->pointsTaken(series);
        for (const QPointF &point : points) {
            xs.append(point.x());
            ys.append(CountRateFloor::measured(point.y()));
        }
        for (bool mark : m_facade->latchedFlags(series, points))
            latched.append(mark);
        list.append(QJsonObject{{QStringLiteral("name"), series->name()},
                                {QStringLiteral("x"), xs},
                                {QStringLiteral("y"), ys},
                                {QStringLiteral("latched"), latched}});
    }
    return AutomationReply::success(QJsonObject{
        {QStringLiteral("mode"), modeName(m_mode)},
        {QStringLiteral("complete"), m_complete},
        {QStringLiteral("x_unit"), m_xUnit},
        {QStringLiteral("y_unit"), m_yUnit},
        {QStringLiteral("series"), list},
    });
}
