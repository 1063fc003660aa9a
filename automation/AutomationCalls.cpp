#include "AutomationCalls.h"
#include "AutomationArguments.h"
#include "AutomationRun.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"
#include "FreeStyleParameter.h"
#include "ModuleKinds.h"
#include "ParameterListBuilder.h"
#include "ReadingValidity.h"
#include "WorkerAsync.h"

#include <QJsonArray>
#include <QMetaEnum>

namespace {
constexpr int MaxTextLength = 255;

/// The rows a script may write on `module`: its parameter panel's editable rows, and the on/off
/// switch that the home screen offers for detector channels.
QList<ParameterItem> writableRows(const DataProviderItem &module)
{
    QList<ParameterItem> rows;
    for (const ParameterItem &row : ParameterListBuilder::forModule(module)) {
        if (row.type() == DriverDataModel::DriverDataTypeDouble ||
            row.type() == DriverDataModel::DriverDataTypeDoubleEdited ||
            row.type() == DriverDataModel::DriverDataTypeBool)
            rows << row;
    }
    if (ModuleKinds::isDetector(module))
        rows << ParameterItem(QStringLiteral("operate"), QString(), false, QString(),
                              DriverDataModel::DriverDataTypeBool, true, 1, 0, QPointF());
    return rows;
}
} // namespace

AutomationCalls::AutomationCalls(WorkerAsync *facade, QObject *parent)
    : QObject(parent), m_facade(facade), m_run(new AutomationRun(facade, this))
{
    connect(m_facade->dataList(), &DataProviderList::dataUpdated, this, &AutomationCalls::noteReading);
}

void AutomationCalls::noteReading(int index, const QList<QString> &keys)
{
    // A module that did not answer gets only its status; a read carries its validity mark.
    const QList<DataProviderItem> items = m_facade->dataList()->items();
    if (index >= 0 && index < items.size() && keys.contains(QLatin1String(ReadingValidity::ValidKey)))
        m_lastReads[items.at(index).byName(QStringLiteral("address")).toInt()].start();
}

AutomationReply AutomationCalls::handle(const QString &call, const QJsonObject &arguments)
{
    AutomationArguments checked(arguments);
    AutomationReply reply = AutomationReply::failure(
        QStringLiteral("unknown-call"),
        QStringLiteral("no call \"%1\"; the calls are modules, readings, set, connect, start_trace, "
                       "start_sweep, stop, progress, series")
            .arg(call));
    if (call == QLatin1String("modules") && checked.onlyKnown({}))
        reply = modules();
    else if (call == QLatin1String("readings"))
        reply = readings(checked);
    else if (call == QLatin1String("set"))
        reply = setParameter(checked);
    else if (call == QLatin1String("connect"))
        reply = connectCrate(checked);
    else if (call == QLatin1String("start_trace"))
        reply = m_run->startTrace(checked);
    else if (call == QLatin1String("start_sweep"))
        reply = m_run->startSweep(checked);
    else if (call == QLatin1String("stop") && checked.onlyKnown({}))
        reply = m_run->stop();
    else if (call == QLatin1String("progress") && checked.onlyKnown({}))
        reply = m_run->progress();
    else if (call == QLatin1String("series") && checked.onlyKnown({}))
        reply = m_run->series();
    return checked.failed() ? checked.failure() : reply;
}

AutomationReply AutomationCalls::modules() const
{
    const QMetaEnum statuses = QMetaEnum::fromType<DataProviderList::DeviceStatus>();
    QJsonArray list;
    for (const DataProviderItem &item : m_facade->dataList()->items()) {
        const char *status = statuses.valueToKey(item.byName(QStringLiteral("status")).toInt());
        list.append(QJsonObject{
            {QStringLiteral("address"), item.byName(QStringLiteral("address")).toInt()},
            {QStringLiteral("type"), ModuleKinds::typeName(item)},
            {QStringLiteral("description"), item.byName(QStringLiteral("Description")).toString()},
            // "DeviceStatusActive" -> "active"
            {QStringLiteral("status"),
             status ? QString::fromLatin1(status).mid(int(qstrlen("DeviceStatus"))).toLower() : QString()},
        });
    }
    return AutomationReply::success(QJsonObject{{QStringLiteral("modules"), list}});
}

std::optional<DataProviderItem> AutomationCalls::module(int address, AutomationArguments &arguments) const
{
    for (const DataProviderItem &item : m_facade->dataList()->items()) {
        if (item.byName(QStringLiteral("address")).toInt() == address)
            return item;
    }
    arguments.fail(QStringLiteral("no-module"), QStringLiteral("no module at bus address %1").arg(address));
    return std::nullopt;
}

AutomationReply AutomationCalls::readings(AutomationArguments &arguments) const
{
    const std::optional<int> address = arguments.address();
    if (!arguments.onlyKnown({QStringLiteral("address")}) || !address)
        return arguments.failure();
    const std::optional<DataProviderItem> item = module(*address, arguments);
    if (!item)
        return arguments.failure();
    QJsonObject values;
    // A value the module did not measure is null, as the screens show "---".
    for (const QString &key : item->keys())
        values.insert(key, QJsonValue::fromVariant(item->byName(key)));
    const auto read = m_lastReads.constFind(*address);
    values.insert(QStringLiteral("age_ms"),
                  read == m_lastReads.cend() ? QJsonValue() : QJsonValue(double(read->elapsed())));
    return AutomationReply::success(values);
}

AutomationReply AutomationCalls::setParameter(AutomationArguments &arguments)
{
    const std::optional<int> address = arguments.address();
    const std::optional<QString> name = arguments.text(QStringLiteral("name"), MaxTextLength);
    if (!arguments.onlyKnown({QStringLiteral("address"), QStringLiteral("name"), QStringLiteral("value")}) ||
        !address || !name)
        return arguments.failure();
    const std::optional<DataProviderItem> item = module(*address, arguments);
    if (!item)
        return arguments.failure();
    const QList<ParameterItem> rows = writableRows(*item);
    const auto row = std::find_if(rows.cbegin(), rows.cend(),
                                  [&](const ParameterItem &candidate) { return candidate.name() == *name; });
    if (row == rows.cend()) {
        QStringList names;
        for (const ParameterItem &candidate : rows)
            names << candidate.name();
        return AutomationReply::failure(QStringLiteral("bad-argument"),
                                        QStringLiteral("module %1 has no parameter \"%2\"; it has: %3")
                                            .arg(*address)
                                            .arg(*name, names.join(QStringLiteral(", "))));
    }
    QVariant value;
    if (row->type() == DriverDataModel::DriverDataTypeBool) {
        const std::optional<bool> on = arguments.flag(QStringLiteral("value"));
        value = on.value_or(false);
    } else {
        // The panel's limits are in shown units (uA, mV); the value is in the module's own (A, V, s).
        const QPointF range = row->range();
        const std::optional<double> number =
            range.isNull() ? arguments.number(QStringLiteral("value"))
                           : arguments.numberWithin(QStringLiteral("value"), range.x() / row->scale(),
                                                    range.y() / row->scale(), QString());
        value = number.value_or(0.0);
    }
    if (arguments.failed() || !FreeStyleParameter::accepts(*name, value))
        return arguments.failed()
                   ? arguments.failure()
                   : AutomationReply::failure(QStringLiteral("bad-argument"),
                                              QStringLiteral("\"%1\" cannot be set").arg(*name));
    m_facade->setParameter(*address, *name, value);
    return AutomationReply::success();
}

AutomationReply AutomationCalls::connectCrate(AutomationArguments &arguments)
{
    const std::optional<QString> address = arguments.text(QStringLiteral("address"), MaxTextLength);
    if (!arguments.onlyKnown({QStringLiteral("address")}) || !address)
        return arguments.failure();
    m_facade->connectToVantrel(*address);
    return AutomationReply::success();
}
