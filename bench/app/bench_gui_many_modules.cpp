// How late the GUI thread answers while the facade lists and polls a crate of 256 SSPD M0 modules
// at bus addresses 0 to 255 (the most a list can hold once bad and repeated addresses are
// skipped), against the same probe
// with no crate. The probe is a 10 ms timer on the GUI thread; its lateness is how long the GUI
// thread was busy with something else (module list, data reports, model updates).
#include "FacadeSession.h"
#include "SampleStats.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTextStream>
#include <QTimer>

namespace {
constexpr int ModuleCount = 256; ///< every bus address
constexpr int FirstAddress = 0;
constexpr int ProbePeriodMs = 10;
constexpr int WindowMs = 20000;

/// Lateness of a ProbePeriodMs timer on this thread over `ms`, in ms.
SampleStats probeLateness(int ms)
{
    QList<double> lateMs;
    QElapsedTimer clock;
    clock.start();
    qint64 lastNs = clock.nsecsElapsed();
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 nowNs = clock.nsecsElapsed();
        lateMs << qMax(0.0, (nowNs - lastNs) / 1e6 - ProbePeriodMs);
        lastNs = nowNs;
    });
    probe.start(ProbePeriodMs);
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    return SampleStats(lateMs);
}

void report(QTextStream &out, const char *what, const SampleStats &stats, double baselineP99)
{
    out << QString("  %1 p50 %2 ms  p99 %3 ms  max %4 ms  (p99 %5x baseline)\n")
               .arg(QLatin1String(what), -40)
               .arg(stats.median(), 0, 'f', 2)
               .arg(stats.percentile(0.99), 0, 'f', 2)
               .arg(stats.percentile(1.0), 0, 'f', 2)
               .arg(stats.percentile(0.99) / qMax(baselineP99, 0.01), 0, 'f', 1);
}
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const SampleStats baseline = probeLateness(WindowMs);

    FacadeSession session(ModuleCount, FacadeSession::DefaultCriticalCurrentUa, FirstAddress);
    if (!session.startSimulator())
        qFatal("the simulator did not start");
    QElapsedTimer connecting;
    connecting.start();
    if (!session.connectFacade())
        qFatal("the facade did not list all %d modules", ModuleCount);
    const double connectMs = connecting.elapsed();
    const QList<DataProviderItem> items = session.facade()->dataList()->items();
    const auto addressOf = [](const DataProviderItem &item) { return item.byName("address").toInt(); };
    if (items.isEmpty() || addressOf(items.first()) != FirstAddress ||
        addressOf(items.last()) != FirstAddress + ModuleCount - 1)
        qFatal("the listed modules are not those of addresses 0 to 255");
    session.facade()->activateMode(WorkerAsync::WorkerModeAllChannels);
    const SampleStats polling = probeLateness(WindowMs);

    out << "GUI thread lateness of a " << ProbePeriodMs << " ms timer, " << WindowMs / 1000 << " s windows\n";
    report(out, "baseline, no crate", baseline, baseline.percentile(0.99));
    report(out, "polling 256 modules (home mode)", polling, baseline.percentile(0.99));
    out << QString("  connect with %1 first reads (addresses %2 to %3): %4 ms\n")
               .arg(ModuleCount)
               .arg(FirstAddress)
               .arg(FirstAddress + ModuleCount - 1)
               .arg(connectMs, 0, 'f', 0);
    return 0;
}
