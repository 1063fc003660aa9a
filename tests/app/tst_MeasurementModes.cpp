#include "DataProviderList.h"
#include "MyChartRect.h"
#include "Settings.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"

#include <QApplication>
#include <QDateTime>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QLineSeries>

namespace {
constexpr int WaitMs = 10000;
constexpr quint8 TimeConstSetter = 0x22;

int statusOf(const DataProviderList *list, int address)
{
    for (const DataProviderItem &item : list->items()) {
        if (item.byName("address").toInt() == address)
            return item.byName("status").toInt();
    }
    return -1;
}
} // namespace

/// The measurement modes end to end: the facade in-process polling the simulator, with real
/// chart series as the screens hand them over.
class tst_MeasurementModes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void homeModePollsEveryModuleAboutOnceASecond();
    void silentModuleIsReportedAndPolledAgain();
    void cpsVersusTimeAppendsPerSeriesAndSetsTimeConstant();
    void traceKeepsAtMostTenThousandPoints();
    void singleChannelFollowsModuleTimeConstant();
    void timeAxisFollowsWindowedAndFreeRunningTraces();
    void freeStyleDropsBadCommands();

private:
    bool connectTo(SimulatorProcess &simulator);
    /// Data reports per bus address, counted as the worker sends them.
    QMap<int, int> m_reports;
    QTemporaryDir m_config;
};

void tst_MeasurementModes::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_MeasurementModes::cleanup()
{
    WorkerAsync::destroyInstance();
    m_reports.clear();
}

bool tst_MeasurementModes::connectTo(SimulatorProcess &simulator)
{
    if (!simulator.start())
        return false;
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));
    WorkerAsync *facade = WorkerAsync::instance();
    connect(
        facade->worker(), &WorkerProcess::dataReady, this,
        [this](int address, const QVariantHash &) { ++m_reports[address]; }, Qt::QueuedConnection);
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    return connected.wait(WaitMs) &&
           QTest::qWaitFor([facade] { return !facade->dataList()->items().isEmpty(); });
}

void tst_MeasurementModes::homeModePollsEveryModuleAboutOnceASecond()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.value(1) >= 3, WaitMs);
    // Both detector modules are read in the same passes; a module without a driver never is.
    QVERIFY(qAbs(m_reports.value(1) - m_reports.value(2)) <= 1);
    QCOMPARE(m_reports.value(7), 0);
    QCOMPARE(statusOf(facade->dataList(), 1), int(DataProviderList::DeviceStatusActive));
    QCOMPARE(statusOf(facade->dataList(), 5), int(DataProviderList::DeviceStatusActive));
    // The four-channel thermometer has no readings for the list: it stays idle, not faulty.
    QCOMPARE(m_reports.value(6), 0);
    QCOMPARE(statusOf(facade->dataList(), 6), int(DataProviderList::DeviceStatusIdle));
    const DataProviderItem first = facade->dataList()->items().first();
    QVERIFY(first.byName("time_const").toDouble() > 0);
}

void tst_MeasurementModes::silentModuleIsReportedAndPolledAgain()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.value(2) >= 1, WaitMs);
    // Module 2 leaves the crate behind the program's back and stops answering.
    QTcpSocket crateConsole;
    crateConsole.connectToHost(simulator.address(), simulator.port());
    QVERIFY(crateConsole.waitForConnected());
    crateConsole.write("SYST:DEVL:REMV 2\r\n");
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVL:REMV 2")));
    m_reports.clear();
    QTRY_COMPARE_WITH_TIMEOUT(statusOf(facade->dataList(), 2), int(DataProviderList::DeviceStatusFault),
                              WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.value(2) >= 2, WaitMs);
    QCOMPARE(statusOf(facade->dataList(), 1), int(DataProviderList::DeviceStatusActive));
}

void tst_MeasurementModes::cpsVersusTimeAppendsPerSeriesAndSetsTimeConstant()
{
    SimulatorProcess simulator({"--verbose-modules"});
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    QLineSeries sspd1, sspd2, other;
    sspd1.setName("SSPD 1");
    sspd2.setName("SSPD 2");
    other.setName("Temperature 5");
    facade->settings()->setSeries({&sspd1, &other, &sspd2});
    facade->settings()->setTimeConstant(0.2);
    facade->initializeGUI(WorkerAsync::WorkerModeCpsVersTime);
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);

    QTRY_VERIFY_WITH_TIMEOUT(sspd1.count() >= 4 && sspd2.count() >= 4, WaitMs);
    QVERIFY(qAbs(sspd1.count() - sspd2.count()) <= 1);
    QCOMPARE(other.count(), 0);
    // The modules counted over 1 s; the first pass set them to the screen's 0.2 s.
    QVERIFY(simulator.countLines(QStringLiteral("module request 1 %1").arg(TimeConstSetter)) >= 1);
    QVERIFY(simulator.countLines(QStringLiteral("module request 2 %1").arg(TimeConstSetter)) >= 1);
    for (int i = 0; i < sspd1.count(); ++i)
        QVERIFY(sspd1.at(i).y() >= WorkerAsync::LeastCountRate);
    QVERIFY(facade->statusText().startsWith(QStringLiteral("SSPD 1: ")));
    QVERIFY(facade->statusText().contains(QStringLiteral("cps\r\nSSPD 2: ")));
    QVERIFY(facade->statusText().contains(QStringLiteral("\r\nTime: ")));
}

void tst_MeasurementModes::traceKeepsAtMostTenThousandPoints()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    QLineSeries trace;
    trace.setName("SSPD 1");
    QList<QPointF> old;
    for (int i = 0; i < WorkerAsync::SeriesPointLimit; ++i)
        old << QPointF(i, 1);
    trace.replace(old);
    facade->settings()->setSeries({&trace});
    facade->settings()->setTimeConstant(0.05);
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    QTRY_VERIFY_WITH_TIMEOUT(trace.at(0).x() >= 3, WaitMs);
    QCOMPARE(trace.count(), WorkerAsync::SeriesPointLimit);
    QVERIFY(trace.at(trace.count() - 1).x() > 1e12);
}

void tst_MeasurementModes::singleChannelFollowsModuleTimeConstant()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->setParameter(1, QStringLiteral("time_const"), 0.005);
    facade->settings()->setActiveChannel(1);
    facade->activateMode(WorkerAsync::WorkerModeSspdSingleChannel);
    // A 5 ms module period is polled every 10 ms instead of the 500 ms the mode starts with.
    QTRY_VERIFY_WITH_TIMEOUT(m_reports.value(1) >= 40, WaitMs);
    QCOMPARE(m_reports.value(2), 0);
}

void tst_MeasurementModes::timeAxisFollowsWindowedAndFreeRunningTraces()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    QLineSeries trace;
    trace.setName("SSPD 2");
    Settings *settings = facade->settings();
    settings->setSeries({&trace});
    settings->setTimeConstant(0.1);
    settings->setMode(WorkerAsync::CpsVsTimeWindowed);
    settings->setTimeWindowSize(30);
    facade->initializeGUI(WorkerAsync::WorkerModeCpsVersTime);
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    QTRY_VERIFY_WITH_TIMEOUT(trace.count() >= 2, WaitMs);
    MyChartRect *rect = facade->chartRect(WorkerAsync::WorkerModeCpsVersTime);
    QCOMPARE(settings->chartRect(), rect);
    QCOMPARE(rect->right() - rect->left(), 30000.0);
    QVERIFY(qAbs(rect->right() - 500 - QDateTime::currentMSecsSinceEpoch()) < 60000);

    settings->setMode(WorkerAsync::CpsVsTimeFreeRunning);
    const int before = trace.count();
    QTRY_VERIFY_WITH_TIMEOUT(trace.count() > before + 1, WaitMs);
    // A young free-running trace shows the last 9.5 s and 0.5 s ahead.
    QCOMPARE(rect->right() - rect->left(), 10000.0);
}

void tst_MeasurementModes::freeStyleDropsBadCommands()
{
    SimulatorProcess simulator({"--verbose-modules"});
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    simulator.clearLines();
    facade->setParameter(99, QStringLiteral("current"), 1e-5);
    facade->setParameter(1, QStringLiteral("voltage"), 0.1);
    facade->setParameter(1, QStringLiteral("current"), QStringLiteral("twelve"));
    facade->setParameter(1, QStringLiteral("operate"), QVariantList{1});
    facade->setParameter(1, QStringLiteral("cmp_ref_level"), qQNaN());
    // The one good command behind them shows the queue went on.
    facade->setParameter(2, QStringLiteral("current"), 12e-6);
    QVERIFY(simulator.waitForLine(QStringLiteral("module request 2 18")));
    QCOMPARE(simulator.countLines(QStringLiteral("module request 1 ")), 0);
    QCOMPARE(simulator.countLines(QStringLiteral("module request 99 ")), 0);
}

QTEST_MAIN(tst_MeasurementModes)
#include "tst_MeasurementModes.moc"
