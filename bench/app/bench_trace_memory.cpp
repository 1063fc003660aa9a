// Resident memory of a mode-3 time trace of 8 "SSPD n" series on 8 simulated modules once the
// series are full: VmRSS at 10 000, 20 000 and 30 000 points appended per series (each keeps its
// last 10 000), with a 10 ms time constant. The baseline is VmRSS in the same run after connecting,
// before the first append. The series are QLineSeries as the screens hand them over, not drawn.
#include "FacadeSession.h"
#include "Settings.h"
#include "WorkerProcess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>
#include <QtCharts/QLineSeries>

#include <algorithm>
#include <atomic>

namespace {
constexpr int SeriesCount = 8;
constexpr double TimeConstantS = 0.01;
constexpr int Checkpoints[] = {10000, 20000, 30000}; ///< appends per series
constexpr int CheckpointWaitMs = 600000;

/// VmRSS of this process, kB; -1 when unreadable.
qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

/// Appends made by the facade: counts the count-rate reports after the facade has handled them
/// (a queued connection made after the facade's runs after its slot) and ends `loop` at a target.
class AppendCounter : public QObject
{
public:
    explicit AppendCounter(QEventLoop *loop) : m_loop(loop) {}

    void count(int address, const QVariantHash &values)
    {
        if (address < 1 || address > SeriesCount || !values.contains(QStringLiteral("cps")))
            return;
        ++m_appends[address - 1];
        if (leastAppends() >= m_target)
            m_loop->quit();
    }
    int leastAppends() const { return *std::min_element(std::begin(m_appends), std::end(m_appends)); }
    void setTarget(int target) { m_target = target; }

private:
    QEventLoop *m_loop;
    int m_appends[SeriesCount] = {};
    int m_target = 0;
};
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    QApplication app(argc, argv);
    FacadeSession session(SeriesCount);
    if (!session.start())
        qFatal("the facade did not connect to the simulated crate");
    WorkerAsync *facade = session.facade();

    QObject owner;
    QList<QAbstractSeries *> series;
    for (int address = 1; address <= SeriesCount; ++address) {
        auto *line = new QLineSeries(&owner);
        line->setName(QStringLiteral("SSPD %1").arg(address));
        series << line;
    }
    QEventLoop loop;
    AppendCounter counter(&loop);
    std::atomic<int> reportsSent{0};
    WorkerProcess *worker = facade->worker();
    QObject::connect(worker, &WorkerProcess::dataReady, &counter, &AppendCounter::count,
                     Qt::QueuedConnection);
    QObject::connect(
        worker, &WorkerProcess::dataReady, worker, [&reportsSent] { ++reportsSent; }, Qt::DirectConnection);

    const qint64 baselineKb = residentKb();
    facade->settings()->setSeries(series);
    facade->settings()->setTimeConstant(TimeConstantS);
    facade->initializeGUI(WorkerAsync::WorkerModeCpsVersTime);
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);

    QTextStream out(stdout);
    out << "mode-3 trace, " << SeriesCount << " series, time constant " << TimeConstantS * 1000 << " ms\n";
    out << QString("  VmRSS before the first append      %1 kB\n").arg(baselineKb);
    QElapsedTimer wall;
    wall.start();
    qint64 atCapKb = 0;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, &QEventLoop::quit);
    for (const int checkpoint : Checkpoints) {
        counter.setTarget(checkpoint);
        guard.start(CheckpointWaitMs);
        loop.exec();
        if (counter.leastAppends() < checkpoint)
            qFatal("the trace did not reach its checkpoint in time");
        const qint64 kb = residentKb();
        if (checkpoint == Checkpoints[0])
            atCapKb = kb;
        const int backlog = reportsSent - SeriesCount * counter.leastAppends();
        out << QString("  VmRSS at %1 appends per series    %2 kB  (%3 s, %4 points kept per series, "
                       "reports not yet handled %5)\n")
                   .arg(checkpoint, 5)
                   .arg(kb)
                   .arg(wall.elapsed() / 1000.0, 0, 'f', 1)
                   .arg(static_cast<QXYSeries *>(series.first())->count())
                   .arg(backlog);
        out.flush();
    }
    const qint64 finalKb = residentKb();
    out << QString("  growth from 10000 to 30000 appends %1 kB (%2 % of the full-trace figure)\n")
               .arg(finalKb - atCapKb)
               .arg(100.0 * double(finalKb - atCapKb) / double(atCapKb), 0, 'f', 2);
    out << QString("  full-trace figure / before the first append %1\n")
               .arg(double(atCapKb) / double(baselineKb), 0, 'f', 2);
    return 0;
}
