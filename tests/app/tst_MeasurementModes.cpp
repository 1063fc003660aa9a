#include "DataProviderList.h"
#include "MyChartRect.h"
#include "Settings.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"

#include <QApplication>
#include <QDateTime>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QLineSeries>

namespace {
constexpr int WaitMs = 10000;
constexpr quint8 TimeConstSetter = 0x22;
/// Detectors biased and counting from power-on: only a counting channel's rate is charted.
const QStringList CountingCrate{QStringLiteral("--crate"), QStringLiteral(VT_SIM_DEMO_CRATE)};

int statusOf(const DataProviderList *list, int address)
{
    for (const DataProviderItem &item : list->items()) {
        if (item.byName("address").toInt() == address)
            return item.byName("status").toInt();
    }
    return -1;
}

/// A value of the module at `address` in the facade's list.
QVariant valueOf(int address, const char *key)
{
    for (const DataProviderItem &item : WorkerAsync::instance()->dataList()->items()) {
        if (item.byName("address").toInt() == address)
            return item.byName(QLatin1String(key));
    }
    return {};
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
    void firstRateAfterTimeConstantChangeIsTakenWithTheNewConstant();
    void traceKeepsAtMostTenThousandPoints();
    void singleChannelFollowsModuleTimeConstant();
    void timeAxisFollowsWindowedAndFreeRunningTraces();
    void freeStyleDropsBadCommands();
    void readingsOfSwitchedOffModulesAreNoneAndStayOffCharts();
    void latchedChannelIsMarkedUntilReset();

private:
    bool connectTo(SimulatorProcess &simulator);
    /// Waits until `count` more reports of `address` have reached the facade.
    bool waitForReports(int address, int count);
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
    // The four-channel thermometer shows the temperature of its stage.
    QVERIFY(m_reports.value(6) >= 1);
    QCOMPARE(statusOf(facade->dataList(), 6), int(DataProviderList::DeviceStatusActive));
    const auto stage = facade->dataList()->items().at(5);
    QCOMPARE(stage.byName("address").toInt(), 6);
    QVERIFY(stage.byName("temperature").toDouble() > 0);
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
    SimulatorProcess simulator(CountingCrate + QStringList{"--verbose-modules"});
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

void tst_MeasurementModes::firstRateAfterTimeConstantChangeIsTakenWithTheNewConstant()
{
    // The module counts over 1 s from power-on; the trace asks for 0.5 s. Every point, the first
    // one after the change too, is the same light level (Poisson spread well under 10 %).
    SimulatorProcess simulator(CountingCrate);
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    QList<double> timeConstants;
    connect(facade->worker(), &WorkerProcess::dataReady, this, [&](int address, const QVariantHash &data) {
        if (address == 1)
            timeConstants << data.value("time_const").toDouble();
    });
    QLineSeries trace;
    trace.setName("SSPD 1");
    facade->settings()->setSeries({&trace});
    facade->settings()->setTimeConstant(0.5);
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    QTRY_VERIFY_WITH_TIMEOUT(trace.count() >= 4, WaitMs);
    const double later = (trace.at(1).y() + trace.at(2).y() + trace.at(3).y()) / 3;
    QVERIFY2(qAbs(trace.at(0).y() / later - 1) < 0.1,
             qPrintable(QStringLiteral("first %1, then %2").arg(trace.at(0).y()).arg(later)));
    QCOMPARE(timeConstants.first(), 0.5);

    // Changed between two reads, the constant restarts the window: the read that comes sooner
    // than one new window is no rate, the next is a rate at the new constant.
    facade->activateMode(WorkerAsync::WorkerModeNoAction);
    QList<QVariant> rates;
    connect(facade->worker(), &WorkerProcess::dataReady, this, [&](int address, const QVariantHash &data) {
        if (address == 1)
            rates << data.value("cps");
    });
    facade->setParameter(1, QStringLiteral("time_const"), 2.0);
    facade->settings()->setActiveChannel(1);
    facade->activateMode(WorkerAsync::WorkerModeSspdSingleChannel);
    QTRY_VERIFY_WITH_TIMEOUT(!rates.isEmpty(), WaitMs);
    QVERIFY(qIsNaN(rates.first().toDouble()));
    QTRY_VERIFY_WITH_TIMEOUT(rates.size() >= 2, WaitMs);
    QVERIFY2(qAbs(rates.last().toDouble() / later - 1) < 0.1, qPrintable(rates.last().toString()));
}

void tst_MeasurementModes::traceKeepsAtMostTenThousandPoints()
{
    SimulatorProcess simulator(CountingCrate);
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
    SimulatorProcess simulator(CountingCrate);
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

bool tst_MeasurementModes::waitForReports(int address, int count)
{
    const int target = m_reports.value(address) + count;
    return QTest::qWaitFor([&] { return m_reports.value(address) >= target; }, WaitMs);
}

void tst_MeasurementModes::readingsOfSwitchedOffModulesAreNoneAndStayOffCharts()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    QLineSeries detector, thermometer;
    detector.setName("SSPD 1");
    thermometer.setName("Temperature 5");
    facade->settings()->setSeries({&detector, &thermometer});
    facade->settings()->setTimeConstant(0.1);

    // The simulator's detectors power up shorted with the counter off: 0 counts, no count rate.
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    QVERIFY(waitForReports(1, 3));
    QCOMPARE(detector.count(), 0);
    QVERIFY(!valueOf(1, "cps").isValid());
    QCOMPARE(valueOf(1, "reading_valid"), QVariant(false));
    QVERIFY(facade->statusText().startsWith(QStringLiteral("SSPD 1: --- cps")));
    facade->setParameter(1, QStringLiteral("operate"), true);
    QTRY_VERIFY_WITH_TIMEOUT(detector.count() >= 2, WaitMs);
    QVERIFY(valueOf(1, "cps").isValid());

    // A thermometer switched off keeps reporting a temperature it does not measure.
    facade->activateMode(WorkerAsync::WorkerModeTemperatureVersTime);
    QTRY_VERIFY_WITH_TIMEOUT(thermometer.count() >= 2, WaitMs);
    QVERIFY(valueOf(5, "temperature").toDouble() > 0);
    // The stage sits near 2.4 K, read to the millikelvin.
    QTRY_VERIFY_WITH_TIMEOUT(
        QRegularExpression(QStringLiteral("^Temperature 5: \\d\\.\\d{3} K")).match(facade->statusText()).hasMatch(),
        WaitMs);
    facade->setParameter(5, QStringLiteral("operate"), false);
    QTRY_VERIFY_WITH_TIMEOUT(!valueOf(5, "temperature").isValid(), WaitMs);
    const int charted = thermometer.count();
    QVERIFY(waitForReports(5, 3));
    QCOMPARE(thermometer.count(), charted);
    QVERIFY(facade->statusText().startsWith(QStringLiteral("Temperature 5: --- K")));
}

void tst_MeasurementModes::latchedChannelIsMarkedUntilReset()
{
    SimulatorProcess simulator;
    QVERIFY(connectTo(simulator));
    WorkerAsync *facade = WorkerAsync::instance();
    const auto biasNear = [](double amperes) {
        return qAbs(valueOf(1, "current").toDouble() - amperes) < 0.2e-6;
    };
    facade->setParameter(1, QStringLiteral("time_const"), 0.1);
    facade->setParameter(1, QStringLiteral("operate"), true);
    facade->settings()->setActiveChannel(1);
    facade->activateMode(WorkerAsync::WorkerModeSspdSingleChannel);

    // Above the critical current (24 µA) the wire latches; back at 20 µA it stays normal.
    facade->setParameter(1, QStringLiteral("current"), 30e-6);
    QTRY_VERIFY_WITH_TIMEOUT(valueOf(1, "latched").toBool(), WaitMs);
    facade->setParameter(1, QStringLiteral("current"), 20e-6);
    QTRY_VERIFY_WITH_TIMEOUT(biasNear(20e-6), WaitMs);
    QVERIFY(waitForReports(1, 2));
    QVERIFY(valueOf(1, "latched").toBool());
    QCOMPARE(valueOf(1, "cps").toDouble(), 0.0);

    facade->resetLatch(1);
    QTRY_VERIFY_WITH_TIMEOUT(!valueOf(1, "latched").toBool() && valueOf(1, "cps").toDouble() > 1000, WaitMs);
    QVERIFY(biasNear(20e-6));
}

QTEST_MAIN(tst_MeasurementModes)
#include "tst_MeasurementModes.moc"
