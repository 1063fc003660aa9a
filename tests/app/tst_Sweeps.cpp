#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "FacadeOnSimulator.h"
#include "MyChartRect.h"
#include "Settings.h"
#include "SimulatorProcess.h"
#include "SweepReturnOffer.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"
#include "cSweepParameters.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>

namespace {
constexpr int SweepWaitMs = 60000;
constexpr double Micro = 1e-6;

QVariantMap sweepValues(double from, double to, double step, double current)
{
    return {{"from", from}, {"to", to}, {"step", step}, {"current", current}, {"time_constant", 0.05}};
}

QVariantMap bothWays(double current, bool returning)
{
    QVariantMap values = sweepValues(10, 12, 1, current);
    values.insert(cSweepParameters::BothWaysKey, true);
    values.insert(cSweepParameters::ReturningKey, returning);
    return values;
}
} // namespace

/// Sweeps and the histogram: the sweep state on its own, then whole sweeps against the simulator.
class tst_Sweeps : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void sweepState_data();
    void sweepState();
    void sweepListsOfTheScreens();
    void histogramBinsCountRates();
    void countRateSweepRisesThenCollapses();
    void voltageAboveTriggerStopsSweep();
    void downwardSinglePointAndFineSweeps();
    void sweepAfterTraceTakesOnlyItsOwnReadings();
    void ivCurveUpAndDownThenBackToBefore();
    void sweepOfSilentModuleReportsFaultsUntilStopped();

private:
    /// Runs one sweep of `mode` on module 1 and returns the recorded points.
    QList<QPointF> runSweep(SimulatorProcess &simulator, WorkerAsync::WorkerMode mode,
                            const QVariantMap &values, bool logY = false);
    /// The same on the crate the facade is connected to; every point must lie in the chart's range.
    QList<QPointF> sweepOnce(WorkerAsync::WorkerMode mode, const QVariantMap &values, bool logY = false);
    /// Puts the sweep values on the screen's panel of `mode` and starts it on module 1.
    void startSweep(WorkerAsync::WorkerMode mode, const QVariantMap &values, QLineSeries *curve);
    QTemporaryDir m_config;
};

void tst_Sweeps::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_Sweeps::cleanup()
{
    WorkerAsync::destroyInstance();
}

void tst_Sweeps::sweepState_data()
{
    QTest::addColumn<QVariantMap>("values");
    QTest::addColumn<double>("progress");
    QTest::addColumn<double>("next");
    QTest::addColumn<bool>("done");
    QTest::addColumn<bool>("turnsBack");

    QTest::newRow("first point") << sweepValues(15 * Micro, 25 * Micro, 0.1 * Micro, 15 * Micro) << 0.0
                                 << 15.1 * Micro << false << false;
    QTest::newRow("at the end") << sweepValues(15 * Micro, 25 * Micro, 0.1 * Micro, 25 * Micro) << 100.0
                                << 25.1 * Micro << false << false;
    QTest::newRow("past the end") << sweepValues(15 * Micro, 25 * Micro, 0.1 * Micro, 25.1 * Micro) << 101.0
                                  << 25.2 * Micro << true << false;
    QTest::newRow("downwards") << sweepValues(20 * Micro, 10 * Micro, 1 * Micro, 15 * Micro) << 50.0
                               << 14 * Micro << false << false;
    QTest::newRow("from equals to") << sweepValues(5 * Micro, 5 * Micro, 1 * Micro, 5 * Micro) << 100.0
                                    << 4 * Micro << true << false;
    QTest::newRow("step zero") << sweepValues(0, 1, 0, 0) << 100.0 << 0.0 << true << false;
    QTest::newRow("negative step") << sweepValues(0, 1, -0.1, 0) << 100.0 << -0.1 << true << false;
    QTest::newRow("nothing given") << QVariantMap() << 100.0 << 0.0 << true << false;
    // Many small steps would drift off the grid; a hair beyond "to" is still "to".
    QTest::newRow("a hair past the end")
        << sweepValues(0, 1, 0.1, 1 + 1e-12) << 100.0 << 1.1 << false << false;
    QTest::newRow("both ways, outwards") << bothWays(11, false) << 25.0 << 12.0 << false << false;
    QTest::newRow("both ways, turning") << bothWays(12, false) << 50.0 << 11.0 << false << true;
    QTest::newRow("both ways, back") << bothWays(11, true) << 75.0 << 10.0 << false << false;
    QTest::newRow("both ways, home") << bothWays(10, true) << 100.0 << 9.0 << true << false;
}

void tst_Sweeps::sweepState()
{
    QFETCH(QVariantMap, values);
    QFETCH(double, progress);
    QFETCH(double, next);
    QFETCH(bool, done);
    QFETCH(bool, turnsBack);
    const cSweepParameters sweep(values);
    QVERIFY2(qAbs(sweep.progress() - progress) < 1e-6, qPrintable(QString::number(sweep.progress())));
    QVERIFY2(qAbs(sweep.next() - next) < 1e-12, qPrintable(QString::number(sweep.next())));
    QCOMPARE(sweep.done(), done);
    QCOMPARE(sweep.turnsBack(), turnsBack);
}

void tst_Sweeps::sweepListsOfTheScreens()
{
    WorkerAsync *facade = WorkerAsync::instance();
    facade->initializeGUI(WorkerAsync::WorkerModeCpsVersCurrent);
    const QList<ParameterItem> *current = facade->settings()->SweepParameterModel()->Items();
    QVERIFY(current);
    QStringList names;
    for (const ParameterItem &item : *current)
        names << item.name();
    QCOMPARE(names, (QStringList{"from", "to", "step", "trigger", "time_constant", "current"}));
    QCOMPARE(current->first().displayedName(), QStringLiteral("From (\u03BCA):"));
    QVERIFY(!current->last().visible());

    facade->initializeGUI(WorkerAsync::WorkerModeIVCurves);
    QCOMPARE(facade->settings()->SweepParameterModel()->Items()->at(3).name(), QStringLiteral("both_ways"));
    facade->initializeGUI(WorkerAsync::WorkerModeHistogram);
    QCOMPARE(facade->settings()->SweepParameterModel()->Items()->first().displayedName(),
             QStringLiteral("From  (cps):"));
}

void tst_Sweeps::histogramBinsCountRates()
{
    WorkerAsync *facade = WorkerAsync::instance();
    DataProviderItem module;
    module.append("address", 1);
    module.append("cps", 0);
    facade->dataList()->appendItem(module);
    QLineSeries bars;
    QAreaSeries histogram(&bars);
    facade->settings()->setSeries({&histogram});
    facade->settings()->setActiveChannel(1);
    facade->initializeGUI(WorkerAsync::WorkerModeHistogram);
    QList<ParameterItem> *items = facade->settings()->SweepParameterModel()->Items();
    (*items)[2].setValue(100.0); // bins of 100 cps from 0 to 1000
    facade->activateMode(WorkerAsync::WorkerModeHistogram);
    const quint64 run = 1; // the first run of this facade

    auto reportFrom = [facade](int address, quint64 ofRun, double cps) {
        const QVariantHash values{{"cps", cps}};
        QMetaObject::invokeMethod(facade, "updateData", Q_ARG(int, address), Q_ARG(QVariantHash, values));
        QMetaObject::invokeMethod(facade, "updateRunData", Q_ARG(int, address), Q_ARG(QVariantHash, values),
                                  Q_ARG(quint64, ofRun));
    };
    auto report = [&](double cps) { reportFrom(1, run, cps); };
    // Only the run's own readings count: not a plain poll, not another channel, not an earlier run.
    const QVariantHash plainPoll{{"cps", 20}};
    QMetaObject::invokeMethod(facade, "updateData", Q_ARG(int, 1), Q_ARG(QVariantHash, plainPoll));
    reportFrom(2, run, 20);
    reportFrom(1, run - 1, 20);
    QCOMPARE(bars.count(), 0);
    report(949);
    QCOMPARE(bars.count(), 40);
    QCOMPARE(bars.at(37).y(), 1.0);
    QCOMPARE(bars.at(38).y(), 1.0);
    QCOMPARE(bars.at(37).x(), 900 + 0.05 * 100);
    QCOMPARE(bars.at(38).x(), 900 + 0.95 * 100);
    report(1049); // bin 10 does not exist
    report(-80);  // bin -1 neither
    report(20);
    double total = 0;
    for (int i = 1; i < bars.count(); i += 4)
        total += bars.at(i).y();
    QCOMPARE(total, 2.0);
    QCOMPARE(bars.at(1).y(), 1.0);
    QVERIFY(histogram.lowerSeries());
    QCOMPARE(histogram.lowerSeries()->at(1).x(), 1000 - 0.05 * 100);
    QCOMPARE(facade->statusText(), QStringLiteral("cps: 20.0"));

    // A paused view holds the counts back; resuming adds them all at once.
    facade->setPlotPaused(true);
    report(20);
    report(949);
    QCOMPARE(bars.at(1).y(), 1.0);
    QCOMPARE(bars.at(37).y(), 1.0);
    facade->setPlotPaused(false);
    QCOMPARE(bars.at(1).y(), 2.0);
    QCOMPARE(bars.at(2).y(), 2.0);
    QCOMPARE(bars.at(38).y(), 2.0);

    // A new run rebuilds the bars over the same baseline instead of adding one each time.
    const qsizetype children = histogram.findChildren<QLineSeries *>().size();
    bars.clear();
    report(20);
    report(20);
    QCOMPARE(bars.at(2).y(), 2.0);
    QCOMPARE(histogram.findChildren<QLineSeries *>().size(), children);
}

void tst_Sweeps::startSweep(WorkerAsync::WorkerMode mode, const QVariantMap &values, QLineSeries *curve)
{
    WorkerAsync *facade = WorkerAsync::instance();
    facade->settings()->setSeries({curve});
    facade->settings()->setActiveChannel(1);
    facade->initializeGUI(mode);
    QList<ParameterItem> *items = facade->settings()->SweepParameterModel()->Items();
    for (ParameterItem &item : *items) {
        if (values.contains(item.name()))
            item.setValue(values.value(item.name()));
    }
    facade->activateMode(mode);
}

QList<QPointF> tst_Sweeps::runSweep(SimulatorProcess &simulator, WorkerAsync::WorkerMode mode,
                                    const QVariantMap &values, bool logY)
{
    if (!connectFacadeToSimulator(simulator, SweepWaitMs))
        return {};
    return sweepOnce(mode, values, logY);
}

QList<QPointF> tst_Sweeps::sweepOnce(WorkerAsync::WorkerMode mode, const QVariantMap &values, bool logY)
{
    WorkerAsync *facade = WorkerAsync::instance();
    QLineSeries curve;
    // Every point reaches the chart as it arrives, whether or not the range moves.
    QSignalSpy drawn(&curve, &QXYSeries::pointAdded);
    QSignalSpy finished(facade, &WorkerAsync::sweepFinished);
    facade->settings()->setLogY(logY);
    startSweep(mode, values, &curve);
    if (!finished.wait(SweepWaitMs) ||
        !QTest::qWaitFor([facade] { return qAbs(facade->progress() - 100) < 1e-6; }))
        return {};
    if (drawn.size() != curve.count())
        return {};
    // The range holds every point, the last one and the zero counts of a latched detector too.
    const MyChartRect *rect = facade->settings()->chartRect();
    for (const QPointF &point : curve.points()) {
        if (!rect || point.x() < rect->left() || point.x() > rect->right() || point.y() < rect->bottom() ||
            point.y() > rect->top()) {
            qWarning() << "point" << point << "outside the chart's range";
            return {};
        }
    }
    return curve.points();
}

void tst_Sweeps::countRateSweepRisesThenCollapses()
{
    // Module 1 of the simulated crate has its critical current at 24 uA.
    SimulatorProcess simulator;
    const QList<QPointF> points = runSweep(
        simulator, WorkerAsync::WorkerModeCpsVersCurrent,
        {{"from", 15e-6}, {"to", 25e-6}, {"step", 0.1e-6}, {"trigger", 1.0}, {"time_constant", 0.05}}, true);
    QCOMPARE(points.size(), 102);
    // x is the current the module measured, a little off its set point.
    QVERIFY(qAbs(points.first().x() - 15.0) < 0.05);
    QVERIFY(qAbs(points.last().x() - 25.1) < 0.05);
    double peak = 0;
    double peakAt = 0;
    for (const QPointF &point : points) {
        if (point.y() > peak) {
            peak = point.y();
            peakAt = point.x();
        }
    }
    QVERIFY(points.first().y() < peak / 2);
    QVERIFY2(peakAt > 20 && peakAt < 25, qPrintable(QString::number(peakAt)));
    QVERIFY(points.last().y() < peak / 10);
}

void tst_Sweeps::voltageAboveTriggerStopsSweep()
{
    SimulatorProcess simulator;
    const QList<QPointF> points = runSweep(
        simulator, WorkerAsync::WorkerModeCpsVersCurrent,
        {{"from", 20e-6}, {"to", 30e-6}, {"step", 0.5e-6}, {"trigger", 0.005}, {"time_constant", 0.05}});
    QVERIFY(!points.isEmpty());
    // The detector latches past 24 uA; its voltage then exceeds 5 mV long before 30 uA.
    QVERIFY2(points.last().x() > 23.9 && points.last().x() < 26,
             qPrintable(QString::number(points.last().x())));
}

void tst_Sweeps::downwardSinglePointAndFineSweeps()
{
    {
        SimulatorProcess simulator;
        const QList<QPointF> points =
            runSweep(simulator, WorkerAsync::WorkerModeIVCurves,
                     {{"from", 10e-6}, {"to", 8e-6}, {"step", 0.5e-6}, {"time_constant", 0.05}});
        QCOMPARE(points.size(), 6);
        for (int i = 1; i < points.size(); ++i)
            QVERIFY(points.at(i).y() < points.at(i - 1).y());
    }
    WorkerAsync::destroyInstance();
    {
        // Steps of 0.01 uA stay on their grid and the status tells them apart.
        SimulatorProcess simulator;
        const QList<QPointF> points = runSweep(
            simulator, WorkerAsync::WorkerModeCpsVersCurrent,
            {{"from", 15e-6}, {"to", 15.1e-6}, {"step", 0.01e-6}, {"trigger", 1.0}, {"time_constant", 0.05}});
        QCOMPARE(points.size(), 12);
        for (int i = 0; i < points.size(); ++i)
            QVERIFY2(qAbs(points.at(i).x() - (15 + 0.01 * i)) < 0.004,
                     qPrintable(QString::number(points.at(i).x())));
        QVERIFY2(WorkerAsync::instance()->statusText().startsWith(QStringLiteral("X: 15.11 ")),
                 qPrintable(WorkerAsync::instance()->statusText()));
    }
    WorkerAsync::destroyInstance();
    {
        SimulatorProcess simulator;
        const QList<QPointF> points =
            runSweep(simulator, WorkerAsync::WorkerModeCpsVersTrigger,
                     {{"from", 0.05}, {"to", 0.05}, {"step", 0.005}, {"time_constant", 0.05}});
        QCOMPARE(points.size(), 1);
        QVERIFY(qAbs(points.first().x() - 50.0) < 1e-3);
    }
}

void tst_Sweeps::sweepAfterTraceTakesOnlyItsOwnReadings()
{
    SimulatorProcess simulator;
    QVERIFY(connectFacadeToSimulator(simulator, SweepWaitMs));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->setParameter(2, QStringLiteral("current"), 17.5e-6);
    facade->setParameter(2, QStringLiteral("operate"), true);
    QLineSeries first;
    QLineSeries second;
    first.setName(QStringLiteral("SSPD 1"));
    second.setName(QStringLiteral("SSPD 2"));
    facade->settings()->setTimeConstant(0.05);
    facade->settings()->setSeries({&first, &second});
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);

    // Stop and a sweep on channel 1 come right after a reading of channel 1, while the trace's
    // pass goes on to read channel 2.
    QLineSeries curve;
    QSignalSpy finished(facade, &WorkerAsync::sweepFinished);
    QObject receiver;
    connect(facade->worker(), &WorkerProcess::dataReady, &receiver, [&](int address) {
        if (address != 1 || second.count() == 0 ||
            facade->currentMode() != WorkerAsync::WorkerModeCpsVersTime)
            return;
        facade->activateMode(WorkerAsync::WorkerModeNoAction);
        startSweep(
            WorkerAsync::WorkerModeCpsVersCurrent,
            {{"from", 18e-6}, {"to", 20e-6}, {"step", 0.5e-6}, {"trigger", 1.0}, {"time_constant", 0.05}},
            &curve);
    });
    QVERIFY(finished.wait(SweepWaitMs));
    QCOMPARE(curve.count(), 6);
    for (int i = 0; i < curve.count(); ++i)
        QVERIFY2(qAbs(curve.at(i).x() - (18 + 0.5 * i)) < 0.05, qPrintable(QString::number(curve.at(i).x())));
}

void tst_Sweeps::ivCurveUpAndDownThenBackToBefore()
{
    SimulatorProcess simulator;
    QVERIFY(connectFacadeToSimulator(simulator, SweepWaitMs));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->setParameter(1, QStringLiteral("operate"), true);
    facade->setParameter(1, QStringLiteral("current"), 12e-6);
    auto channel = [facade](const char *key) { return facade->dataList()->items().first().byName(key); };
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(channel("current").toDouble() - 12e-6) < 0.05e-6, SweepWaitMs);

    // Up past the switching current at 24 uA and down again: the detector stays latched on the
    // way down, so at 20 uA it reads a much higher voltage than on the way up.
    const QList<QPointF> points = sweepOnce(
        WorkerAsync::WorkerModeIVCurves,
        {{"from", 10e-6}, {"to", 30e-6}, {"step", 2e-6}, {"time_constant", 0.05}, {"both_ways", true}});
    QCOMPARE(points.size(), 21);
    QVERIFY(qAbs(points.at(10).y() - 30) < 0.1);
    QVERIFY(qAbs(points.last().y() - 10) < 0.1);
    QVERIFY2(points.at(15).x() > 10 * points.at(5).x() + 1,
             qPrintable(QStringLiteral("%1 mV up, %2 mV down").arg(points.at(5).x()).arg(points.at(15).x())));

    // The channel ends latched at 10 uA; returning goes through zero back to 12 uA, superconducting.
    SweepReturnOffer *offer = facade->sweepReturn();
    QVERIFY(offer->offered());
    QVERIFY2(offer->text().contains(QStringLiteral("SSPD 1 to 12.00 ")), qPrintable(offer->text()));
    offer->accept();
    QVERIFY(!offer->offered());
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTRY_VERIFY_WITH_TIMEOUT(
        qAbs(channel("current").toDouble() - 12e-6) < 0.05e-6 && !channel("latched").toBool(), SweepWaitMs);
}

void tst_Sweeps::sweepOfSilentModuleReportsFaultsUntilStopped()
{
    SimulatorProcess simulator;
    QVERIFY(connectFacadeToSimulator(simulator, SweepWaitMs));
    WorkerAsync *facade = WorkerAsync::instance();

    // Module 1 leaves the crate: every step's reading fails from now on.
    QTcpSocket console;
    console.connectToHost(simulator.address(), simulator.port());
    QVERIFY(console.waitForConnected());
    console.write("SYST:DEVL:REMV 1\r\n");
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVL:REMV 1")));

    int faults = 0;
    QObject receiver;
    connect(facade->worker(), &WorkerProcess::dataReady, &receiver,
            [&faults](int address, const QVariantHash &data) {
                faults += address == 1 && data.value("status").toInt() == DataProviderList::DeviceStatusFault
                              ? 1
                              : 0;
            });
    QLineSeries curve;
    facade->settings()->setSeries({&curve});
    facade->settings()->setActiveChannel(1);
    facade->initializeGUI(WorkerAsync::WorkerModeIVCurves);
    for (ParameterItem &item : *facade->settings()->SweepParameterModel()->Items()) {
        if (item.name() == QLatin1String("time_constant"))
            item.setValue(0.05);
    }
    QSignalSpy finished(facade, &WorkerAsync::sweepFinished);
    facade->activateMode(WorkerAsync::WorkerModeIVCurves);
    QTRY_VERIFY_WITH_TIMEOUT(faults >= 3, SweepWaitMs);
    QCOMPARE(curve.count(), 0);
    QTRY_COMPARE(facade->statusText(), QStringLiteral("Module 1 does not answer."));

    // Leaving the screen stops the sweep, and says so: no more readings are made.
    facade->activateMode(WorkerAsync::WorkerModeNoAction);
    QVERIFY(facade->statusText().startsWith(QStringLiteral("Sweep stopped at ")));
    QTest::qWait(1500); // the silent module holds each step for its 500 ms time-out
    const int stoppedAt = faults;
    QTest::qWait(600);
    QCOMPARE(faults, stoppedAt);
    QCOMPARE(finished.size(), 0);
}

QTEST_MAIN(tst_Sweeps)
#include "tst_Sweeps.moc"
