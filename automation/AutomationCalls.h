#pragma once

#include "AutomationReply.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QObject>

#include <optional>

class AutomationArguments;
class AutomationRun;
class DataProviderItem;
class WorkerAsync;

/// The calls a script may make, each done through the facade as the screens do it, so the
/// worker queue carries every change and the screen shows it:
///   "modules"     the module list: address, type, status
///   "readings"    {address}: the module's named values as last read, with "age_ms", the time
///                 since that read (null before the first)
///   "set"         {address, name, value}: one parameter, by the parameter panel's names and limits
///   "connect"     {address}: connect to a crate
///   "start_trace", "start_sweep", "stop", "progress", "series": a measurement run (AutomationRun)
class AutomationCalls : public QObject
{
    Q_OBJECT
public:
    explicit AutomationCalls(WorkerAsync *facade, QObject *parent = nullptr);

    AutomationReply handle(const QString &call, const QJsonObject &arguments);

private:
    AutomationReply modules() const;
    AutomationReply readings(AutomationArguments &arguments) const;
    AutomationReply setParameter(AutomationArguments &arguments);
    AutomationReply connectCrate(AutomationArguments &arguments);
    /// The listed module at `address`; nothing (and a failure in `arguments`) when none is.
    std::optional<DataProviderItem> module(int address, AutomationArguments &arguments) const;

    /// Notes when the worker's readings of a module arrive.
    void noteReading(int index, const QList<QString> &keys);

    WorkerAsync *m_facade;
    AutomationRun *m_run;                  ///< child
    QHash<int, QElapsedTimer> m_lastReads; ///< by bus address
};
