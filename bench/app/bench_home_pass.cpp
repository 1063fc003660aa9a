// One home-mode polling pass over 16 SSPD M0 modules (two synchronous reads per module: the
// counting parameters, then the data record), timed on the worker thread, next to 32 getter
// round trips over a link of this process to the same simulator.
// The pass is the span from the first to the last data report of the pass, taken by a direct
// connection on the worker thread; it holds 15 of the 16 module reads, so it is scaled by 16/15.
// The round trips are timed as one block of 32 in the pause the worker takes after each pass.
#include "FacadeSession.h"
#include "RoundTripSampler.h"
#include "SampleStats.h"
#include "WorkerProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <atomic>

namespace {
constexpr int ModuleCount = 16;
constexpr int RoundTripsPerPass = 2 * ModuleCount;
constexpr int Passes = 20;
constexpr int WarmupPasses = 2;
constexpr int PassWaitMs = 5000;
constexpr int FirstAddress = 1;
constexpr int DeviceStatusActive = 1; ///< "status" of a good read

/// Times the data reports of each pass; record() runs on the worker thread.
class PassClock
{
public:
    PassClock() { m_clock.start(); }

    void record(int address, const QVariantHash &values)
    {
        const qint64 nowNs = m_clock.nsecsElapsed();
        if (values.value(QStringLiteral("status")).toInt() != DeviceStatusActive)
            ++m_faults;
        if (address == FirstAddress) {
            m_firstNs = nowNs;
        } else if (address == ModuleCount) {
            m_spanNs = nowNs - m_firstNs;
            ++m_passes;
        }
    }

    int passes() const { return m_passes; }
    int faults() const { return m_faults; }
    /// First to last report of the pass completed last, ns.
    qint64 spanNs() const { return m_spanNs; }

private:
    QElapsedTimer m_clock;
    qint64 m_firstNs = 0; ///< worker thread only
    std::atomic<qint64> m_spanNs{0};
    std::atomic<int> m_passes{0};
    std::atomic<int> m_faults{0};
};
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    QApplication app(argc, argv);
    FacadeSession session(ModuleCount);
    if (!session.start())
        qFatal("the facade did not connect to the simulated crate");
    const std::unique_ptr<LinkProbe> probe = session.openProbe(ModuleCount);

    PassClock passClock;
    WorkerProcess *worker = session.facade()->worker();
    QObject::connect(
        worker, &WorkerProcess::dataReady, worker,
        [&passClock](int address, const QVariantHash &values) { passClock.record(address, values); },
        Qt::DirectConnection);
    session.facade()->activateMode(WorkerAsync::WorkerModeAllChannels);

    QList<double> passUs;
    QList<double> blockUs;
    QList<double> singleUs;
    for (int pass = 1; pass <= Passes + WarmupPasses; ++pass) {
        if (!QTest::qWaitFor([&passClock, pass] { return passClock.passes() >= pass; }, PassWaitMs))
            qFatal("the worker did not finish a home pass");
        const double spanUs = passClock.spanNs() / 1000.0;
        QElapsedTimer block;
        block.start();
        singleUs << sampleRoundTrips([&] { return probe->roundTripUs(); }, RoundTripsPerPass, 0);
        const double oneBlockUs = block.nsecsElapsed() / 1000.0;
        if (pass > WarmupPasses) {
            passUs << spanUs * ModuleCount / (ModuleCount - 1);
            blockUs << oneBlockUs;
        }
    }
    const SampleStats passes(passUs);
    const SampleStats blocks(blockUs);
    const SampleStats singles(singleUs);

    QTextStream out(stdout);
    out << "home-mode pass, " << ModuleCount << " SSPD M0 modules (" << RoundTripsPerPass
        << " synchronous reads), " << Passes << " passes\n";
    out << QString("  one link round trip                      median %1 us  p90 %2 us\n")
               .arg(singles.median(), 0, 'f', 1)
               .arg(singles.percentile(0.9), 0, 'f', 1);
    out << QString("  %1 link round trips (one block)          median %2 us  p90 %3 us\n")
               .arg(RoundTripsPerPass)
               .arg(blocks.median(), 0, 'f', 1)
               .arg(blocks.percentile(0.9), 0, 'f', 1);
    out << QString("  worker pass (first..last report x 16/15) median %1 us  p90 %2 us\n")
               .arg(passes.median(), 0, 'f', 1)
               .arg(passes.percentile(0.9), 0, 'f', 1);
    out << QString("  ratio pass / %1 round trips (medians) %2, target below 1.2\n")
               .arg(RoundTripsPerPass)
               .arg(passes.median() / blocks.median(), 0, 'f', 2);
    out << QString("  failed module reads %1\n").arg(passClock.faults());
    return 0;
}
