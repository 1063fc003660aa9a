// A 101-point count-rate-versus-current sweep (10 to 20 µA in 0.1 µA steps, 0.1 s time constant)
// through the facade against the simulator: total time next to 101 x 0.1 s, split into the
// preparation (activation to the first point), the steps (first to last point, per step beyond
// the time constant) and the end. Point times are taken on the worker thread by direct
// connections. Baseline in the same run: 101 timed waits of 0.1 s on a wait condition, the sleep
// the worker itself takes between steps, and bare getter round trips over a link of this process
// to the same simulator, three in the middle of the wait after each step. A step needs three
// exchanges with the module (its counting parameters, its data, the next set point); its overhead,
// the time per step beyond a bare wait, is given as a ratio to three round trips. The round trips
// are taken mid-wait, away from the step: begun at once they would queue at the simulator with
// the step's own set-point write and meet a module that has just answered, while a step begins
// after a quiet time constant. Back-to-back round trips after the sweep are shown for comparison.
#include "DriverDataModel.h"
#include "FacadeSession.h"
#include "RoundTripSampler.h"
#include "SampleStats.h"
#include "Settings.h"
#include "WorkerProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QTextStream>
#include <QTimer>
#include <QWaitCondition>
#include <QtCharts/QLineSeries>

#include <atomic>
#include <numeric>

namespace {
constexpr double FromA = 10e-6;
constexpr double ToA = 20e-6;
constexpr double StepA = 0.1e-6;
constexpr int SweepPoints = 101; ///< set points from FromA to ToA
constexpr double TimeConstantS = 0.1;
constexpr int TimeConstantMs = 100;
constexpr double TriggerV = 1.0;           ///< far above the detector's voltage: no early stop
constexpr double CriticalCurrentUa = 30.0; ///< above the sweep, so the detector never latches
constexpr int SweepWaitMs = 120000;
constexpr int ExchangesPerStep = 3; ///< parameters read, data read, next set point written
constexpr int RoundTripWarmup = 10;

/// Worker-side times of the sweep's data reports and of its end, ns on one clock.
struct SweepTimes
{
    QElapsedTimer clock;
    std::atomic<qint64> firstNs{-1};
    std::atomic<qint64> lastNs{-1};
    std::atomic<qint64> finishedNs{-1};
    std::atomic<int> reports{0};

    void report()
    {
        const qint64 nowNs = clock.nsecsElapsed();
        if (firstNs < 0)
            firstNs = nowNs;
        lastNs = nowNs;
        ++reports;
    }
};

/// Total of `count` waits of `ms` on a wait condition nobody wakes, ms.
double timedWaitsMs(int count, int ms)
{
    QMutex mutex;
    QWaitCondition never;
    QMutexLocker locker(&mutex);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < count; ++i)
        never.wait(&mutex, static_cast<unsigned long>(ms));
    return clock.nsecsElapsed() / 1e6;
}

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    QApplication app(argc, argv);
    const double baselineMs = timedWaitsMs(SweepPoints, TimeConstantMs);

    FacadeSession session(1, CriticalCurrentUa);
    if (!session.start())
        qFatal("the facade did not connect to the simulated crate");
    WorkerAsync *facade = session.facade();
    QLineSeries curve;
    facade->settings()->setSeries({&curve});
    facade->settings()->setActiveChannel(1);
    facade->initializeGUI(WorkerAsync::WorkerModeCpsVersCurrent);
    const QVariantMap values{{"from", FromA},
                             {"to", ToA},
                             {"step", StepA},
                             {"trigger", TriggerV},
                             {"time_constant", TimeConstantS}};
    for (ParameterItem &item : *facade->settings()->SweepParameterModel()->Items()) {
        if (values.contains(item.name()))
            item.setValue(values.value(item.name()));
    }

    SweepTimes times;
    WorkerProcess *worker = facade->worker();
    QObject::connect(
        worker, &WorkerProcess::dataReady, worker,
        [&times](int, const QVariantHash &data) {
            if (data.contains(QStringLiteral("cps")))
                times.report();
        },
        Qt::DirectConnection);
    QObject::connect(
        worker, &WorkerProcess::sweepFinished, worker,
        [&times] { times.finishedNs = times.clock.nsecsElapsed(); }, Qt::DirectConnection);
    // Round trips are taken halfway through the wait after each step, so that they meet the same
    // machine load as the steps but not the step's own traffic.
    const std::unique_ptr<LinkProbe> probe = session.openProbe(1);
    const auto sampleProbe = [&](int rounds, int warmup) {
        return sampleRoundTrips([&] { return probe->roundTripUs(); }, rounds, warmup);
    };
    sampleProbe(0, RoundTripWarmup);
    QList<double> roundTripUs;
    QList<double> stepRoundTripsUs; ///< the three round trips of each mid-wait sample, summed
    QObject::connect(facade, &WorkerAsync::progressChanged, facade, [&] {
        QTimer::singleShot(TimeConstantMs / 2, facade, [&] {
            const QList<double> three = sampleProbe(ExchangesPerStep, 0);
            roundTripUs << three;
            stepRoundTripsUs << std::accumulate(three.cbegin(), three.cend(), 0.0);
        });
    });
    QSignalSpy finished(facade, &WorkerAsync::sweepFinished);
    times.clock.start();
    facade->activateMode(WorkerAsync::WorkerModeCpsVersCurrent);
    if (!finished.wait(SweepWaitMs))
        qFatal("the sweep did not finish");

    const SampleStats roundTrips(roundTripUs);
    const double stepRoundTripsMs = SampleStats(stepRoundTripsUs).median() / 1000.0;
    const SampleStats backToBack(sampleProbe(ExchangesPerStep * SweepPoints, 0));
    const double backToBackStepMs = ExchangesPerStep * backToBack.median() / 1000.0;

    const int reports = times.reports;
    const double totalMs = ms(times.finishedNs);
    const double preparationMs = ms(times.firstNs);
    const double stepsMs = ms(times.lastNs - times.firstNs);
    const double perStepMs = stepsMs / (reports - 1);
    const double nominalMs = SweepPoints * TimeConstantMs;

    QTextStream out(stdout);
    out << "count rate versus current, " << SweepPoints << " set points, time constant " << TimeConstantMs
        << " ms\n";
    out << QString("  baseline: %1 waits of %2 ms          %3 ms (%4 ms beyond each wait)\n")
               .arg(SweepPoints)
               .arg(TimeConstantMs)
               .arg(baselineMs, 0, 'f', 1)
               .arg(baselineMs / SweepPoints - TimeConstantMs, 0, 'f', 3);
    out << QString("  sweep total, activation to the end  %1 ms  (%2 x %3 ms = %4 ms; ratio %5)\n")
               .arg(totalMs, 0, 'f', 1)
               .arg(SweepPoints)
               .arg(TimeConstantMs)
               .arg(nominalMs, 0, 'f', 0)
               .arg(totalMs / nominalMs, 0, 'f', 2);
    out << QString("  preparation, activation to point 1  %1 ms\n").arg(preparationMs, 0, 'f', 1);
    out << QString("  steps, point 1 to point %1         %2 ms, %3 ms per step, %4 ms beyond the time "
                   "constant\n")
               .arg(reports)
               .arg(stepsMs, 0, 'f', 1)
               .arg(perStepMs, 0, 'f', 2)
               .arg(perStepMs - TimeConstantMs, 0, 'f', 2);
    const double overheadMs = perStepMs - baselineMs / SweepPoints;
    out << QString("  one link round trip, mid-wait       median %1 us, p90 %2 us\n")
               .arg(roundTrips.median(), 0, 'f', 0)
               .arg(roundTrips.percentile(0.9), 0, 'f', 0);
    out << QString("  step overhead beyond a bare wait    %1 ms = %2 x %3 mid-wait round trips (%4 ms)\n")
               .arg(overheadMs, 0, 'f', 2)
               .arg(overheadMs / stepRoundTripsMs, 0, 'f', 2)
               .arg(ExchangesPerStep)
               .arg(stepRoundTripsMs, 0, 'f', 2);
    out << QString("  back-to-back round trips after it   median %1 us: %2 x their step's worth (%3 ms)\n")
               .arg(backToBack.median(), 0, 'f', 0)
               .arg(overheadMs / backToBackStepMs, 0, 'f', 2)
               .arg(backToBackStepMs, 0, 'f', 2);
    out << QString("  end, last point to sweepFinished    %1 ms\n")
               .arg(ms(times.finishedNs - times.lastNs), 0, 'f', 1);
    out << QString("  points recorded %1 reports, %2 on the curve\n").arg(reports).arg(curve.count());
    return 0;
}
