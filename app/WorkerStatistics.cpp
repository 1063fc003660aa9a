#include "WorkerStatistics.h"
#include "AppLogging.h"

namespace {
constexpr double NsPerMs = 1e6;
constexpr double MsPerS = 1e3;
} // namespace

WorkerStatistics::WorkerStatistics(bool enabled) : m_enabled(enabled)
{
    if (m_enabled)
        m_window.start();
}

void WorkerStatistics::beginProcessing()
{
    if (m_enabled)
        m_step.start();
}

void WorkerStatistics::endProcessing()
{
    if (!m_enabled)
        return;
    m_processNs += m_step.nsecsElapsed();
    m_step.restart();
}

void WorkerStatistics::endLoop(int mode, int timeConstMs)
{
    if (!m_enabled)
        return;
    m_waitNs += m_step.nsecsElapsed();
    ++m_loops;
    const qint64 windowMs = m_window.elapsed();
    if (windowMs < WindowMs)
        return;
    const double loops = static_cast<double>(m_loops);
    qCInfo(lcWorker).noquote() << "VT4_WORKER_PERF"
                               << "loops" << m_loops << "loops_per_s"
                               << QString::number(loops / (windowMs / MsPerS), 'f', 1)
                               << "process_ms_per_loop"
                               << QString::number(m_processNs / NsPerMs / loops, 'f', 3) << "wait_ms_per_loop"
                               << QString::number(m_waitNs / NsPerMs / loops, 'f', 3) << "mode" << mode
                               << "time_const_ms" << timeConstMs;
    reset();
}

void WorkerStatistics::reset()
{
    m_window.restart();
    m_loops = 0;
    m_processNs = 0;
    m_waitNs = 0;
}
