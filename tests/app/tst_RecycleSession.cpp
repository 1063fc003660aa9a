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

/// A detector, opened, and the four-channel thermometer on a simulated crate, with a session
/// over both whose last report is kept in `status`.
struct RecycleBench
{
    SimulatorCrate crate;
    TempDriverM1 module;
    SspdDriverM0 sspd;
    RecycleSession session;
    QVariantMap status;

    bool start(const QStringList &arguments = {})
    {
        if (!crate.start({SimulatorCrate::module(SspdAddress, "VT4SDM0"),
                          SimulatorCrate::module(TempAddress, "VT4TDM1")},
                         arguments))
            return false;
        crate.attach(&module, TempAddress);
        crate.attach(&sspd, SspdAddress);
        bool ok = false;
        sspd.shortEnable()->setValueSync(false, &ok, 5);
        QObject::connect(&session, &RecycleSession::statusChanged,
                         [this](const QVariantMap &s) { status = s; });
        session.setDrivers({&sspd, &module});
        return ok;
    }
    bool shorted()
    {
        bool read = false;
        const auto value = sspd.status()->getValueSync(&read, 5);
        return read && (value.toByte() & 0x02) != 0;
    }
};
} // namespace

class tst_RecycleSession : public QObject
{
    Q_OBJECT
private slots:
    void monitoredReadingsAndVanishingModule();
    void abortKeepsDetectorsShortedUntilStageIsCold();
    void controllerChecksTimesAndNamesUnrestoredDetectors();
};

void tst_RecycleSession::monitoredReadingsAndVanishingModule()
{
    RecycleBench bench;
    QVERIFY(bench.start());
    RecycleSession &session = bench.session;
    const QVariantMap &status = bench.status;
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

    bench.crate.simulator().process().kill(); // the crate, and with it the temperature module, is gone
    QTRY_VERIFY_WITH_TIMEOUT((session.service(), !session.isRunning()), 30000);
    QVERIFY2(status.value("outcome").toString().contains("does not answer"),
             qPrintable(status.value("outcome").toString()));
    // Without a stage temperature nothing says the detectors may open: they stay shorted.
    QVERIFY2(status.value("outcome").toString().contains("the detectors stay shorted"),
             qPrintable(status.value("outcome").toString()));
    QCOMPARE(status.value("unrestored").toList(), QVariantList());
    QCOMPARE(status.value("stateText").toString(), QStringLiteral("Process Aborted"));
}

void tst_RecycleSession::abortKeepsDetectorsShortedUntilStageIsCold()
{
    RecycleBench bench;
    QVERIFY(bench.start({"--time-scale", "20"}));
    RecycleSession &session = bench.session;
    const QVariantMap &status = bench.status;
    QVERIFY(session.start(600000, 600000, 600000));
    const double startedAt = status.value("stageTemperature").toDouble();
    QTRY_VERIFY_WITH_TIMEOUT(
        (session.service(), status.value("stageTemperature").toDouble() > startedAt + 0.5), 30000);

    session.abort();
    const QString held = status.value("outcome").toString();
    QVERIFY2(held.contains(QStringLiteral("stay shorted until the stage is back below %1 K")
                               .arg(startedAt + RecycleSession::OperatingMarginK, 0, 'f', 2)),
             qPrintable(held));
    QVERIFY(bench.shorted());
    QVERIFY(!session.start(1000, 1000, 1000)); // a new run would save the shorts as the settings
    QVERIFY(session.isActive());

    QTRY_VERIFY_WITH_TIMEOUT((session.service(), status.value("outcome").toString().contains("restored")),
                             60000);
    QVERIFY(status.value("stageTemperature").toDouble() < startedAt + RecycleSession::OperatingMarginK);
    QVERIFY(!bench.shorted());
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
