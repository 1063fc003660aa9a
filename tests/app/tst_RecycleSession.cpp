// The recycle as the worker runs it and the screen's controller: readings while monitored, a
// temperature module that vanishes mid-recycle, and the times the screen accepts.
#include "../drivers/SimulatorCrate.h"
#include "RecycleController.h"
#include "RecycleSession.h"
#include "SspdDriverM0.h"
#include "TempDriverM1.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint8 SspdAddress = 1;
constexpr quint8 TempAddress = 6;
} // namespace

class tst_RecycleSession : public QObject
{
    Q_OBJECT
private slots:
    void monitoredReadingsAndVanishingModule();
    void controllerChecksTimesAndNamesUnrestoredDetectors();
};

void tst_RecycleSession::monitoredReadingsAndVanishingModule()
{
    SimulatorCrate crate;
    QVERIFY(crate.start(
        {SimulatorCrate::module(SspdAddress, "VT4SDM0"), SimulatorCrate::module(TempAddress, "VT4TDM1")}));
    TempDriverM1 module;
    SspdDriverM0 sspd;
    crate.attach(&module, TempAddress);
    crate.attach(&sspd, SspdAddress);
    bool ok = false;
    sspd.shortEnable()->setValueSync(false, &ok, 5);

    RecycleSession session;
    QVariantMap status;
    connect(&session, &RecycleSession::statusChanged, this, [&status](const QVariantMap &s) { status = s; });
    session.setDrivers({&sspd, &module});
    QVERIFY(status.value("available").toBool());
    QVERIFY(!session.isActive());

    session.handleRequest(QVariantList{RecycleSession::RequestMonitoring, true});
    QTRY_VERIFY_WITH_TIMEOUT((session.service(), status.contains("stageTemperature")), 5000);
    QVERIFY(qAbs(status.value("stageTemperature").toDouble() - 2.45) < 0.1);
    QVERIFY(status.value("integrity").toBool());

    session.handleRequest(QVariantList{RecycleSession::RequestStart, QVariantList{60000, 60000, 60000}});
    QVERIFY(session.isRunning());
    QCOMPARE(status.value("stateText").toString(), QStringLiteral("Heating"));
    QTRY_VERIFY_WITH_TIMEOUT((session.service(), status.value("relay1").toBool()), 5000);
    QVERIFY(!status.value("relay2").toBool());

    crate.simulator().process().kill(); // the crate, and with it the temperature module, is gone
    QTRY_VERIFY_WITH_TIMEOUT((session.service(), !session.isRunning()), 30000);
    QVERIFY2(status.value("outcome").toString().contains("does not answer"),
             qPrintable(status.value("outcome").toString()));
    QCOMPARE(status.value("unrestored").toList(), QVariantList{SspdAddress});
    QCOMPARE(status.value("stateText").toString(), QString());
}

void tst_RecycleSession::controllerChecksTimesAndNamesUnrestoredDetectors()
{
    QList<QVariantList> sent;
    RecycleController controller([&sent](const QVariantList &request) { sent << request; });
    QVERIFY(!controller.start(0.5, 10, 10));
    QVERIFY(!controller.start(10, qInf(), 10));
    QVERIFY(!controller.start(10, 10, 2 * RecycleController::MaxPhaseSeconds));
    QVERIFY(sent.isEmpty());
    QVERIFY(controller.start(1.5, 2, 3));
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.at(0).at(0).toInt(), int(RecycleSession::RequestStart));
    QCOMPARE(sent.at(0).at(1).toList(), (QVariantList{1500, 2000, 3000}));

    QSignalSpy readings(&controller, &RecycleController::temperatureRead);
    controller.applyStatus({{"outcome", "Process Aborted"},
                            {"unrestored", QVariantList{1, 4}},
                            {"time", 1000.0},
                            {"stageTemperature", 0.4},
                            {"integrity", false}});
    QVERIFY(controller.outcome().startsWith("Process Aborted"));
    QVERIFY(controller.outcome().contains("addresses 1, 4 could not be restored"));
    QVERIFY(!controller.integrityOk());
    QCOMPARE(readings.size(), 1);
    controller.applyStatus({{"time", 1000.0}}); // the same readings again: no new chart point
    QCOMPARE(readings.size(), 1);
}

QTEST_GUILESS_MAIN(tst_RecycleSession)
#include "tst_RecycleSession.moc"
