#include "SweepRunner.h"
#include "CommonDriver.h"
#include "CrateSession.h"
#include "DriverHelper.h"
#include "StopRequest.h"
#include "cSweepParameters.h"

namespace {
constexpr int PreparationAttempts = 5; ///< writes that set a module up for a sweep
constexpr int SweepSettleMs = 1000;    ///< wait before a count-rate sweep switches the channel on
constexpr double SweepComplete = 100;  ///< percent
} // namespace

SweepRunner::SweepRunner(const CrateSession &session, const QList<int> &activeChannels, int &timeConstMs,
                         RunReader readRun, QObject *parent)
    : QObject(parent), m_session(session), m_activeChannels(activeChannels), m_timeConstMs(timeConstMs),
      m_readRun(std::move(readRun))
{
}

bool SweepRunner::prepare(WorkerTypes::WorkerMode mode)
{
    switch (mode) {
    case WorkerTypes::WorkerModeCpsVersCurrent:
        return initializeSweepCpsVsCurrent();
    case WorkerTypes::WorkerModeCpsVersTrigger:
        return initializeSweepCpsVsTrigger();
    case WorkerTypes::WorkerModeIVCurves:
        return initializeSweepIVCurves();
    case WorkerTypes::WorkerModeHistogram:
        return initializeHistogram();
    default:
        return false;
    }
}

bool SweepRunner::initializeSweepCpsVsCurrent()
{
    return prepareSweep(WorkerTypes::WorkerModeCpsVersCurrent);
}

bool SweepRunner::initializeSweepCpsVsTrigger()
{
    return prepareSweep(WorkerTypes::WorkerModeCpsVersTrigger);
}

bool SweepRunner::initializeSweepIVCurves()
{
    return prepareSweep(WorkerTypes::WorkerModeIVCurves);
}

bool SweepRunner::initializeHistogram()
{
    return prepareSweep(WorkerTypes::WorkerModeHistogram);
}

bool SweepRunner::prepareSweep(WorkerTypes::WorkerMode mode)
{
    CommonDriver *driver =
        m_activeChannels.isEmpty() ? nullptr : m_session.driverByAddress(m_activeChannels.first());
    if (!driver)
        return false;
    DriverHelper helper(driver);
    const cSweepParameters sweep(m_parameters);
    const bool countRateSweep =
        mode == WorkerTypes::WorkerModeCpsVersCurrent || mode == WorkerTypes::WorkerModeCpsVersTrigger;

    if (mode == WorkerTypes::WorkerModeHistogram) {
        emit setStatusText(QStringLiteral("Start process..."));
    } else {
        emit setStatusText(QStringLiteral("Start Sweep process..."));
        emit sweepProgress(0);
    }
    if (countRateSweep) {
        emit setStatusText(QStringLiteral("Short-circiuts enable"));
        helper.setParameter(QStringLiteral("status_shorted"), true, PreparationAttempts);
    }
    if (mode == WorkerTypes::WorkerModeCpsVersTrigger) {
        emit setStatusText(
            QStringLiteral("Setting start trigger : %1 mV").arg(sweep.from() * 1e3, 0, 'g', 6));
        m_parameters.insert(QStringLiteral("current"), sweep.from());
        helper.setParameter(QStringLiteral("cmp_ref_level"), sweep.from(), PreparationAttempts);
    } else if (mode != WorkerTypes::WorkerModeHistogram) {
        // This label's unit is the Greek mu with a Latin A.
        emit setStatusText(
            QStringLiteral("Setting start current: %1 \u03BCA").arg(sweep.from() * 1e6, 0, 'g', 6));
        m_parameters.insert(QStringLiteral("current"), sweep.from());
        helper.setParameter(QStringLiteral("current"), sweep.from(),
                            countRateSweep ? PreparationAttempts : 1);
    }
    emit setStatusText(QStringLiteral("Setting driver parameters..."));
    if (sweep.isTimeConstAvailable()) {
        m_timeConstMs = qRound(sweep.timeConst() * 1000);
        helper.setParameter(QStringLiteral("time_const"), sweep.timeConst(), PreparationAttempts);
    }
    if (countRateSweep) {
        emit setStatusText(QStringLiteral("Delay 1 second..."));
        DriverHelper::delay(SweepSettleMs);
        emit setStatusText(QStringLiteral("Turn on ..."));
        helper.setParameter(QStringLiteral("operate"), true, PreparationAttempts);
    }
    return true;
}

SweepRunner::Step SweepRunner::sweepStep(WorkerTypes::WorkerMode mode)
{
    for (int address : std::as_const(m_activeChannels)) {
        CommonDriver *driver = m_session.driverByAddress(address);
        if (StopRequest::isPending())
            return Step::Stopped;
        if (!driver)
            continue;
        // A failed read is reported as a fault point and the sweep goes on.
        m_readRun(driver);
        const cSweepParameters sweep(m_parameters);
        DriverHelper helper(driver);
        bool stop = sweep.done();
        if (mode == WorkerTypes::WorkerModeCpsVersCurrent) {
            const double voltage = helper.getCurrentParameter(QStringLiteral("voltage")).toDouble();
            const double trigger = sweep.isTriggerAvailable() ? sweep.trigger() : 0.0;
            stop = stop || qAbs(voltage) > qAbs(trigger);
        }
        if (stop) {
            sweepFinish();
            return Step::Finished;
        }
        emit sweepProgress(sweep.progress());
        const QString setting = mode == WorkerTypes::WorkerModeCpsVersTrigger
                                    ? QStringLiteral("cmp_ref_level")
                                    : QStringLiteral("current");
        helper.setParameter(setting, sweep.next(), 1);
        m_parameters.insert(QStringLiteral("current"), sweep.next());
        if (sweep.turnsBack())
            m_parameters.insert(QLatin1String(cSweepParameters::ReturningKey), true);
    }
    return Step::Taken;
}

void SweepRunner::sweepFinish()
{
    // The last step's point is already on its way: the chart must take it into its range
    // before the screen hears that the sweep is over and leaves the sweep mode.
    emit updatePlot();
    emit sweepProgress(SweepComplete);
    emit sweepFinished();
}
