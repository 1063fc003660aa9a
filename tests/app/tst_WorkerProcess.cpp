#include "WorkerProcess.h"

#include <QPointer>
#include <QTest>
#include <QThread>

namespace {
constexpr int WaitMs = 3000;
using Cmd = WorkerAsync::WorkerCommands;
using Mode = WorkerAsync::WorkerMode;
} // namespace

/// The worker loop on a thread of its own, as the facade runs it.
class tst_WorkerProcess : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void waitInterval_data();
    void waitInterval();
    void commandsRunInOrderUpToFreeStyle();
    void commandQueuedDuringSleepStartsAtOnce();
    void unknownAndMistypedCommandsAreDropped();
    void stopsWithinOnePass();

private:
    void startWorker();

    QThread *m_thread = nullptr;
    QPointer<WorkerProcess> m_worker;
    QList<QPair<int, quint64>> m_started; ///< (command, loop pass) as the worker took them
};

void tst_WorkerProcess::init()
{
    m_thread = new QThread;
    m_worker = new WorkerProcess;
    m_worker->moveToThread(m_thread);
    connect(m_worker, &WorkerProcess::finished, m_thread, &QThread::quit);
    connect(m_worker, &WorkerProcess::finished, m_worker, &QObject::deleteLater);
    connect(m_worker, &WorkerProcess::commandStarted, this, [this](int cmd, quint64 pass) {
        m_started.append({cmd, pass});
    });
    m_started.clear();
}

void tst_WorkerProcess::cleanup()
{
    // Gone only when the test stopped the thread itself and waited for it, so this is no race.
    if (m_worker)
        m_worker->requestStop();
    m_thread->quit();
    QVERIFY(m_thread->wait(WaitMs));
    // A worker whose loop never ran was never scheduled for deletion.
    delete m_worker.data();
    delete m_thread;
}

void tst_WorkerProcess::startWorker()
{
    m_thread->start();
    QMetaObject::invokeMethod(m_worker, &WorkerProcess::start, Qt::QueuedConnection);
}

void tst_WorkerProcess::waitInterval_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("timeConstMs");
    QTest::addColumn<qint64>("elapsedMs");
    QTest::addColumn<int>("expected");

    QTest::newRow("home, fresh") << int(WorkerAsync::WorkerModeAllChannels) << 0 << qint64(0) << 1000;
    QTest::newRow("home, 300 ms in") << int(WorkerAsync::WorkerModeAllChannels) << 70 << qint64(300) << 700;
    QTest::newRow("home, pass took a second")
        << int(WorkerAsync::WorkerModeAllChannels) << 0 << qint64(1000) << 1;
    QTest::newRow("home, overdue") << int(WorkerAsync::WorkerModeAllChannels) << 0 << qint64(2500) << 1;
    QTest::newRow("single channel") << int(WorkerAsync::WorkerModeSspdSingleChannel) << 200 << qint64(50)
                                    << 150;
    QTest::newRow("cps vs time due") << int(WorkerAsync::WorkerModeCpsVersTime) << 100 << qint64(100) << 1;
    QTest::newRow("histogram late") << int(WorkerAsync::WorkerModeHistogram) << 100 << qint64(130) << 1;
    QTest::newRow("sweep, time constant 0")
        << int(WorkerAsync::WorkerModeCpsVersCurrent) << 0 << qint64(0) << 50;
    QTest::newRow("time constant negative") << int(WorkerAsync::WorkerModeIVCurves) << -5 << qint64(0) << 50;
    QTest::newRow("idle") << int(WorkerAsync::WorkerModeNoAction) << 1000 << qint64(0) << 50;
    QTest::newRow("beyond the enum") << 42 << 1000 << qint64(0) << 50;
}

void tst_WorkerProcess::waitInterval()
{
    QFETCH(int, mode);
    QFETCH(int, timeConstMs);
    QFETCH(qint64, elapsedMs);
    QFETCH(int, expected);
    QCOMPARE(WorkerProcess::waitIntervalMs(static_cast<Mode>(mode), timeConstMs, elapsedMs), expected);
}

void tst_WorkerProcess::commandsRunInOrderUpToFreeStyle()
{
    // Queued before the loop starts, so all of them are waiting when the first pass drains.
    const QList<Cmd> before{WorkerAsync::CommandSetTimeOut, WorkerAsync::CommandSetActiveChannels,
                            WorkerAsync::CommandSweepParams, WorkerAsync::CommandSetTimeOut};
    const QList<Cmd> after{WorkerAsync::CommandSetActiveChannels, WorkerAsync::CommandSetTimeOut,
                           WorkerAsync::CommandSetTimeOut, WorkerAsync::CommandSweepParams,
                           WorkerAsync::CommandSetTimeOut};
    for (Cmd cmd : before)
        m_worker->setCommand(cmd, 1);
    m_worker->setCommand(WorkerAsync::CommandFreeStyle, QVariantList{1, "current", 12.5});
    for (Cmd cmd : after)
        m_worker->setCommand(cmd, 2);
    startWorker();

    QTRY_COMPARE_WITH_TIMEOUT(m_started.size(), 10, WaitMs);
    QList<int> order;
    for (const auto &started : std::as_const(m_started))
        order << started.first;
    QList<int> expected;
    for (Cmd cmd : before)
        expected << cmd;
    expected << WorkerAsync::CommandFreeStyle;
    for (Cmd cmd : after)
        expected << cmd;
    QCOMPARE(order, expected);

    const quint64 firstPass = m_started.first().second;
    for (int i = 0; i <= before.size(); ++i)
        QCOMPARE(m_started.at(i).second, firstPass);
    for (int i = before.size() + 1; i < m_started.size(); ++i)
        QCOMPARE(m_started.at(i).second, firstPass + 1);
}

void tst_WorkerProcess::commandQueuedDuringSleepStartsAtOnce()
{
    // A time-based mode with a 20 s period: the loop sleeps for the whole period after its pass.
    m_worker->setCommand(WorkerAsync::CommandSetTimeOut, 20000);
    m_worker->setCommand(WorkerAsync::CommandSetMode, int(WorkerAsync::WorkerModeCpsVersTime));
    startWorker();
    QTRY_COMPARE_WITH_TIMEOUT(m_started.size(), 2, WaitMs);

    m_worker->setCommand(WorkerAsync::CommandSetActiveChannels, QVariant::fromValue(QList<int>{3, 4}));
    QTRY_COMPARE_WITH_TIMEOUT(m_started.size(), 3, WaitMs);
}

void tst_WorkerProcess::unknownAndMistypedCommandsAreDropped()
{
    startWorker();
    m_worker->setCommand(static_cast<Cmd>(16), 1);
    m_worker->setCommand(static_cast<Cmd>(200), QString("anything"));
    m_worker->setCommand(WorkerAsync::CommandFreeStyle, QVariantList{1, "current"});
    m_worker->setCommand(WorkerAsync::CommandFreeStyle, QVariantList{1, "voltage", 3});
    m_worker->setCommand(WorkerAsync::CommandSetTimeOut, QString("not a number"));
    m_worker->setCommand(WorkerAsync::CommandSetActiveChannels, QString("x"));
    m_worker->setCommand(WorkerAsync::CommandSweepParams, 5);
    m_worker->setCommand(WorkerAsync::CommandLock, 1); // no crate yet: dropped without message
    QTRY_COMPARE_WITH_TIMEOUT(m_started.size(), 8, WaitMs);
    QCOMPARE(m_worker->thread(), m_thread);
}

void tst_WorkerProcess::stopsWithinOnePass()
{
    m_worker->setCommand(WorkerAsync::CommandSetMode, int(WorkerAsync::WorkerModeAllChannels));
    int finished = 0;
    connect(
        m_worker, &WorkerProcess::finished, this, [&finished] { ++finished; }, Qt::DirectConnection);
    startWorker();
    QTRY_COMPARE_WITH_TIMEOUT(m_started.size(), 1, WaitMs);
    m_worker->requestStop();
    m_thread->quit();
    QVERIFY(m_thread->wait(WaitMs));
    QCOMPARE(finished, 1);
}

QTEST_GUILESS_MAIN(tst_WorkerProcess)
#include "tst_WorkerProcess.moc"
