#pragma once

#include "WorkerTypes.h"

#include <QList>
#include <QObject>
#include <QVariantMap>

#include <functional>

class CommonDriver;
class CrateSession;

/// Prepares and steps the sweeps and the histogram for the worker, on the worker thread. Reads
/// the worker's active channels and sets its time constant when a sweep names one.
class SweepRunner : public QObject
{
    Q_OBJECT
public:
    enum class Step
    {
        Taken,
        Stopped,
        Finished
    };
    /// Reads one module for the sweep in progress and reports the reading.
    using RunReader = std::function<void(CommonDriver *)>;

    SweepRunner(const CrateSession &session, const QList<int> &activeChannels, int &timeConstMs,
                RunReader readRun, QObject *parent);

    QVariantMap parameters() const { return m_parameters; }
    void setParameters(const QVariantMap &parameters) { m_parameters = parameters; }
    /// Runs the preparation of `mode` when it is a sweep or the histogram; true when it ran.
    bool prepare(WorkerTypes::WorkerMode mode);
    /// One step of a sweep: read, test for the end, move on.
    Step sweepStep(WorkerTypes::WorkerMode mode);

signals:
    void setStatusText(const QString &text);
    void sweepProgress(double percent);
    void sweepFinished();
    void updatePlot();

private:
    bool initializeSweepCpsVsCurrent();
    bool initializeSweepCpsVsTrigger();
    bool initializeSweepIVCurves();
    bool initializeHistogram();
    /// The one preparation behind the four above, for the active channel's module.
    bool prepareSweep(WorkerTypes::WorkerMode mode);
    /// Reports the sweep complete.
    void sweepFinish();

    const CrateSession &m_session;
    const QList<int> &m_activeChannels;
    int &m_timeConstMs;
    RunReader m_readRun;
    QVariantMap m_parameters;
};
