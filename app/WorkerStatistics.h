#pragma once

#include <QElapsedTimer>

/// Loop statistics of the worker, switched on by the environment variable "VT4_WORKER_PERF":
/// one information line per five-second window with loops per second and the processing and
/// waiting time per loop. Costs two timer reads per pass when on, nothing when off.
class WorkerStatistics
{
public:
    static constexpr qint64 WindowMs = 5000;

    explicit WorkerStatistics(bool enabled);

    void beginProcessing();
    void endProcessing();
    /// Counts one loop (the time since endProcessing() was waiting) and logs when a window is full.
    void endLoop(int mode, int timeConstMs);

private:
    void reset();

    bool m_enabled;
    QElapsedTimer m_window;
    QElapsedTimer m_step;
    quint64 m_loops = 0;
    qint64 m_processNs = 0;
    qint64 m_waitNs = 0;
};
