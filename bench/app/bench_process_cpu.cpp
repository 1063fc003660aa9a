// CPU time of this process per wall second (CLOCK_PROCESS_CPUTIME_ID: GUI thread with the facade,
// worker thread and link; the simulator is a process of its own and not counted), connected to 16
// SSPD M0 modules: idle in mode 9, then polling in mode 0, 30 s each, with the main thread in a
// plain event loop as in the program. Baselines in the same run: the bare event loop before the
// facade exists, and 32 getter round trips once a second over a link of its own (the I/O of a
// home pass with nothing around it).
#include "FacadeSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <ctime>

namespace {
constexpr int ModuleCount = 16;
constexpr int RoundTripsPerPass = 2 * ModuleCount;
constexpr int WindowMs = 30000;
constexpr int BaselineWindowMs = 10000;
constexpr int HomePollPeriodMs = 1000; ///< the home mode's pass period

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

/// CPU seconds per wall second of the event loop run for `ms` (timers started by `setUp` run in it).
template <typename SetUp> double cpuLoad(int ms, SetUp setUp)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    setUp(loop);
    const double cpuStart = processCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    loop.exec();
    return (processCpuSeconds() - cpuStart) / (double(wall.nsecsElapsed()) * 1e-9);
}

double idleLoad(int ms)
{
    return cpuLoad(ms, [](QEventLoop &) {});
}
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    QApplication app(argc, argv);
    const double bareLoop = idleLoad(BaselineWindowMs);

    FacadeSession session(ModuleCount);
    if (!session.startSimulator())
        qFatal("the simulator did not start");
    const std::unique_ptr<LinkProbe> probe = session.openProbe(ModuleCount);
    int failedRoundTrips = 0;
    const double bareRoundTrips = cpuLoad(BaselineWindowMs, [&](QEventLoop &loop) {
        auto *tick = new QTimer(&loop);
        QObject::connect(tick, &QTimer::timeout, [&] {
            for (int i = 0; i < RoundTripsPerPass; ++i)
                failedRoundTrips += probe->roundTripUs() < 0;
        });
        tick->start(HomePollPeriodMs);
    });

    if (!session.connectFacade())
        qFatal("the facade did not connect to the simulated crate");
    session.facade()->activateMode(WorkerAsync::WorkerModeNoAction);
    const double idleMode = idleLoad(WindowMs);
    session.facade()->activateMode(WorkerAsync::WorkerModeAllChannels);
    const double homeMode = idleLoad(WindowMs);

    QTextStream out(stdout);
    const auto row = [&out](const QString &label, int windowMs, double load) {
        out << QString("  %1 (%2 s)").arg(label).arg(windowMs / 1000).leftJustified(50)
            << QString::number(load, 'f', 5) << "\n";
    };
    out << "process CPU seconds per wall second, " << ModuleCount << " SSPD M0 modules\n";
    row(QStringLiteral("bare event loop, no facade"), BaselineWindowMs, bareLoop);
    row(QStringLiteral("mode 9 idle"), WindowMs, idleMode);
    row(QStringLiteral("%1 link round trips per second").arg(RoundTripsPerPass), BaselineWindowMs,
        bareRoundTrips);
    row(QStringLiteral("mode 0 polling"), WindowMs, homeMode);
    out << QString("  ratio mode 0 / bare round trips %1, mode 9 - bare loop %2\n")
               .arg(homeMode / bareRoundTrips, 0, 'f', 2)
               .arg(idleMode - bareLoop, 0, 'f', 5);
    out << QString("  failed round trips %1\n").arg(failedRoundTrips);
    return 0;
}
