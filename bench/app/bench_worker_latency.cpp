// Latency from setCommand on the calling thread to the start of that command on the worker while
// the loop sleeps in the idle mode; the baseline is a bare wait-condition wake-up in the same run.
#include "SampleStats.h"
#include "WorkerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMutex>
#include <QRandomGenerator>
#include <QTextStream>
#include <QThread>
#include <QWaitCondition>

#include <atomic>

namespace {
constexpr int Rounds = 300;
constexpr int MaxIdleBeforeCommandMs = 40; ///< the idle loop sleeps 50 ms at a time
constexpr int StartWaitMs = 1000;

QElapsedTimer s_clock;

bool waitFor(const std::atomic<qint64> &stamp)
{
    QElapsedTimer limit;
    limit.start();
    while (stamp.load() < 0) {
        if (limit.elapsed() > StartWaitMs)
            return false;
        QThread::yieldCurrentThread();
    }
    return true;
}

SampleStats measureWorker()
{
    QThread thread;
    auto *worker = new WorkerProcess;
    worker->moveToThread(&thread);
    std::atomic<qint64> startedNs{-1};
    QObject::connect(
        worker, &WorkerProcess::commandStarted, worker,
        [&](int, quint64) { startedNs = s_clock.nsecsElapsed(); }, Qt::DirectConnection);
    thread.start();
    QMetaObject::invokeMethod(worker, &WorkerProcess::start, Qt::QueuedConnection);

    QList<double> samples;
    for (int i = 0; i < Rounds; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(1, MaxIdleBeforeCommandMs));
        startedNs = -1;
        const qint64 queuedNs = s_clock.nsecsElapsed();
        worker->setCommand(WorkerAsync::CommandSetTimeOut, i);
        if (!waitFor(startedNs))
            qFatal("the worker did not take the command");
        samples << (startedNs - queuedNs) / 1000.0;
    }
    worker->requestStop();
    thread.quit();
    thread.wait();
    delete worker;
    return SampleStats(samples);
}

/// The least any queue can do: one thread sleeping on a wait condition, woken by another.
SampleStats measureBareWakeUp()
{
    QMutex mutex;
    QWaitCondition condition;
    std::atomic<qint64> wokenNs{-1};
    std::atomic<bool> stop{false};
    bool pending = false;
    QThread *sleeper = QThread::create([&] {
        QMutexLocker locker(&mutex);
        while (!stop) {
            if (!pending)
                condition.wait(&mutex, 50);
            if (pending) {
                pending = false;
                wokenNs = s_clock.nsecsElapsed();
            }
        }
    });
    sleeper->start();
    QList<double> samples;
    for (int i = 0; i < Rounds; ++i) {
        QThread::msleep(QRandomGenerator::global()->bounded(1, MaxIdleBeforeCommandMs));
        wokenNs = -1;
        const qint64 queuedNs = s_clock.nsecsElapsed();
        {
            QMutexLocker locker(&mutex);
            pending = true;
            condition.wakeOne();
        }
        if (!waitFor(wokenNs))
            qFatal("the sleeper did not wake");
        samples << (wokenNs - queuedNs) / 1000.0;
    }
    stop = true;
    condition.wakeAll();
    sleeper->wait();
    delete sleeper;
    return SampleStats(samples);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    s_clock.start();
    const SampleStats bare = measureBareWakeUp();
    const SampleStats worker = measureWorker();

    QTextStream out(stdout);
    out << "setCommand -> command start, idle loop, " << Rounds << " commands\n";
    out << QString("  bare wait-condition wake  median %1 us  p99 %2 us\n")
               .arg(bare.median(), 0, 'f', 1)
               .arg(bare.percentile(0.99), 0, 'f', 1);
    out << QString("  WorkerProcess             median %1 us  p99 %2 us\n")
               .arg(worker.median(), 0, 'f', 1)
               .arg(worker.percentile(0.99), 0, 'f', 1);
    out << QString("  ratio worker / bare (medians) %1\n").arg(worker.median() / bare.median(), 0, 'f', 2);
    return 0;
}
