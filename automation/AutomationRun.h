#pragma once

#include "AutomationReply.h"
#include "WorkerAsync.h"

#include <QList>
#include <QObject>
#include <QPointer>

class AutomationArguments;
class DataProviderItem;
class QXYSeries;

/// One measurement a script runs: a time trace of one or more channels, or a sweep of one
/// detector channel. It is started as a screen starts it (series handed to the settings, the
/// active channel, the sweep panel's values, the mode activated), so the program shows it; when
/// it ends or is stopped the mode that was running before comes back. The series stay until the
/// next run and can be fetched as numbers once the run is over.
class AutomationRun : public QObject
{
    Q_OBJECT
public:
    static constexpr double MinTimeConstantS = 0.01; ///< the options panel's limits
    static constexpr double MaxTimeConstantS = 100;
    static constexpr double MaxSweepSteps = 100000; ///< more would take days at the shortest time constant

    explicit AutomationRun(WorkerAsync *facade, QObject *parent = nullptr);

    /// {kind: "cps" | "temperature", addresses: [..], time_constant: s}
    AutomationReply startTrace(AutomationArguments &arguments);
    /// {kind: "cps_vs_current" | "cps_vs_trigger" | "iv_curve", address, from, to, step,
    ///  time_constant, trigger}: values in A, V and s; those left out keep the panel's values.
    AutomationReply startSweep(AutomationArguments &arguments);
    AutomationReply stop();
    AutomationReply progress() const;
    /// The run's series as numbers; refused while it runs.
    AutomationReply series() const;

private:
    bool isRunning() const;
    /// Refuses a start while a run is going or there is no module list; else empty.
    std::optional<AutomationReply> refuseStart() const;
    /// The listed module at `address` that `fits`; nothing (and a failure) otherwise.
    bool findModule(int address, bool (*fits)(const DataProviderItem &), const QString &kindName,
                    AutomationArguments &arguments) const;
    /// Makes the run's series (dropping the last run's), hands them to the screens and starts `mode`.
    void begin(WorkerAsync::WorkerMode mode, const QStringList &seriesNames, const QString &xUnit,
               const QString &yUnit);
    /// Puts back the mode the program was in before the run.
    void end();

    WorkerAsync *m_facade;
    QList<QPointer<QXYSeries>> m_series; ///< children
    WorkerAsync::WorkerMode m_mode = WorkerAsync::WorkerModeNoAction;
    WorkerAsync::WorkerMode m_modeBefore = WorkerAsync::WorkerModeNoAction;
    bool m_active = false;   ///< started and not yet ended
    bool m_complete = false; ///< a sweep that reached its end by itself
    QString m_xUnit;
    QString m_yUnit;
};
