// Relay control, the temperature recycle and the averager, driven against the simulator's
// four-channel temperature module, its sorption-pumped stage and two SSPD modules.
#include "AdvancedRelayControl.h"
#include "Averager.h"
#include "SimulatorCrate.h"
#include "SspdDriverM0.h"
#include "SspdDriverM1.h"
#include "TempDriverM1.h"
#include "TemperatureRecycleInterface.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint8 TempAddress = 6;
constexpr quint8 SspdM0Address = 1;
constexpr quint8 SspdM1Address = 3;
constexpr double TimeScale = 40.0; ///< simulated seconds per second: the recycle takes seconds
constexpr double BathKelvin = 2.45;
using State = TemperatureRecycleInterface::TemperatureRecycleState;

quint8 relays(TempDriverM1 &module)
{
    bool ok = false;
    const cRelaysStatus status = module.relaysStatus()->getValueSync(&ok, 5);
    return ok ? status.status() : 0xFF;
}

bool shorted(CommonDriver *driver)
{
    bool ok = false;
    if (auto *m0 = qobject_cast<SspdDriverM0 *>(driver))
        return m0->status()->getValueSync(&ok, 5).shortEnable;
    return qobject_cast<SspdDriverM1 *>(driver)->status()->getValueSync(&ok, 5).shortEnable;
}
} // namespace

class tst_RelayRecycle : public QObject
{
    Q_OBJECT
private slots:
    void relayWriteChangesOnlyItsRelay_data();
    void relayWriteChangesOnlyItsRelay();
    void scheduleTiming();
    void stuckRelayFailsIntegrityWithinBudget();
    void averager_data();
    void averager();
    void recycleAgainstSimulator();
    void abortRestoresOnlyWhatWasSaved();
};

void tst_RelayRecycle::relayWriteChangesOnlyItsRelay_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<bool>("polarity");
    QTest::addColumn<bool>("enable");
    QTest::addColumn<int>("written");
    QTest::addColumn<int>("after"); // relay states, starting from 0x05 (relays 1 and 3 energised)
    QTest::newRow("relay 1, polarity false, enable") << 1 << false << true << 0x10 << 0x04;
    QTest::newRow("relay 1, polarity false, disable") << 1 << false << false << 0x11 << 0x05;
    QTest::newRow("relay 2, polarity true, enable") << 2 << true << true << 0x22 << 0x07;
    QTest::newRow("relay 2, polarity true, disable") << 2 << true << false << 0x20 << 0x05;
    QTest::newRow("relay 3, polarity true, disable") << 3 << true << false << 0x40 << 0x01;
    QTest::newRow("relay 3, polarity false, disable") << 3 << false << false << 0x44 << 0x05;
    QTest::newRow("relay 4, polarity true, enable") << 4 << true << true << 0x88 << 0x0D;
    QTest::newRow("relay 4, polarity false, enable") << 4 << false << true << 0x80 << 0x05;
}

void tst_RelayRecycle::relayWriteChangesOnlyItsRelay()
{
    QFETCH(int, relay);
    QFETCH(bool, polarity);
    QFETCH(bool, enable);
    QFETCH(int, written);
    QFETCH(int, after);
    SimulatorCrate crate;
    QVERIFY(crate.start({SimulatorCrate::module(TempAddress, "VT4TDM1")}));
    TempDriverM1 module;
    crate.attach(&module, TempAddress);
    bool ok = false;
    cRelaysStatus start;
    start = 0xF5; // every relay in the mask: relays 1 and 3 energised
    module.relaysStatus()->setValueSync(start, &ok, 5);
    QVERIFY(ok);

    AdvancedRelayControl control(&module, cRelaysStatus::RelayIndex(relay), polarity);
    QCOMPARE(control.getRelayState(), bool(0x05 & (1 << (relay - 1))));
    control.setRelay(enable);
    QCOMPARE(int(module.relaysStatus()->lastSettedValue().status()), written);
    QCOMPARE(int(relays(module)), after);
    QVERIFY(control.checkState());
}

void tst_RelayRecycle::scheduleTiming()
{
    SimulatorCrate crate;
    QVERIFY(crate.start({SimulatorCrate::module(TempAddress, "VT4TDM1")}));
    TempDriverM1 module;
    crate.attach(&module, TempAddress);
    AdvancedRelayControl control(&module, cRelaysStatus::RelayIndex3, true);
    QSignalSpy finished(&control, &AdvancedRelayControl::processFinished);

    QElapsedTimer clock;
    clock.start();
    control.beginRelaySchedule(100, 300, true); // the on-time is raised to 500 ms
    QCOMPARE(control.getRs(), AdvancedRelayControl::RelayStateSchedule);
    QVERIFY(control.getElapsed() > 0); // a coarse timer: the remaining time may exceed 500 ms a little
    QVERIFY(control.getRelayState());

    QTRY_COMPARE_WITH_TIMEOUT(control.getRs(), AdvancedRelayControl::RelayStateTemporaryOff, 5000);
    QVERIFY(clock.elapsed() >= 450);
    QVERIFY(!control.getRelayState());
    QVERIFY(finished.wait(5000));
    QVERIFY(clock.elapsed() >= 750);
    QCOMPARE(control.getRs(), AdvancedRelayControl::RelayStateIdle); // single shot: no second cycle
    QVERIFY(control.getRelayState());
    QCOMPARE(control.getElapsed(), 0);
}

void tst_RelayRecycle::stuckRelayFailsIntegrityWithinBudget()
{
    QJsonObject temp = SimulatorCrate::module(TempAddress, "VT4TDM1");
    temp.insert("stuckRelays", QJsonArray{2});
    SimulatorCrate crate;
    QVERIFY(crate.start({temp}));
    TempDriverM1 module;
    crate.attach(&module, TempAddress);
    QList<CommonDriver *> none;
    TemperatureRecycleInterface recycle(&module, &none);
    QVERIFY(recycle.checkIntegrity()); // both relays as found

    recycle.abortProcess(); // rests the relays: relay 2 should close the heat switch, but is stuck
    QVERIFY(!recycle.getRelayState(cRelaysStatus::RelayIndex2));
    // After a stop the budget is two mismatches; the third in a row is reported.
    QVERIFY(recycle.checkIntegrity());
    QVERIFY(recycle.checkIntegrity());
    QVERIFY(!recycle.checkIntegrity());
    QVERIFY(!recycle.getReadedRelayState(cRelaysStatus::RelayIndex2));
}

void tst_RelayRecycle::averager_data()
{
    QTest::addColumn<QList<double>>("samples");
    QTest::addColumn<double>("average");
    QTest::addColumn<double>("trend");
    QTest::newRow("empty window") << QList<double>{} << 0.0 << 0.0;
    QTest::newRow("half window: no trend yet") << QList<double>{1, 2} << 1.5 << 0.0;
    QTest::newRow("first trend value") << QList<double>{1, 2, 3} << 2.0 << 0.0;
    QTest::newRow("trend over two averages") << QList<double>{1, 2, 3, 4} << 2.5 << 0.5;
    QTest::newRow("oldest sample dropped") << QList<double>{1, 2, 3, 4, 5} << 3.5 << 1.5;
}

void tst_RelayRecycle::averager()
{
    QFETCH(QList<double>, samples);
    QFETCH(double, average);
    QFETCH(double, trend);
    Averager averager(4);
    for (double sample : samples)
        averager.average(sample);
    QCOMPARE(averager.getAvg(), average);
    QCOMPARE(averager.getTrend(), trend);
    averager.reset();
    QCOMPARE(averager.getAvg(), 0.0);
}

void tst_RelayRecycle::recycleAgainstSimulator()
{
    SimulatorCrate crate;
    QVERIFY(crate.start({SimulatorCrate::module(SspdM0Address, "VT4SDM0"),
                         SimulatorCrate::module(SspdM1Address, "VT4SDM1"),
                         SimulatorCrate::module(TempAddress, "VT4TDM1")},
                        {"--time-scale", QString::number(TimeScale)}));
    TempDriverM1 module;
    SspdDriverM0 sspdM0;
    SspdDriverM1 sspdM1;
    crate.attach(&module, TempAddress);
    crate.attach(&sspdM0, SspdM0Address);
    crate.attach(&sspdM1, SspdM1Address);
    bool ok = false;
    sspdM0.shortEnable()->setValueSync(false, &ok, 5); // biased; the M1 channel stays shorted
    QVERIFY(ok);
    QList<CommonDriver *> drivers{&module, &sspdM0, &sspdM1};

    TemperatureRecycleInterface recycle(&module, &drivers);
    QSignalSpy states(&recycle, &TemperatureRecycleInterface::stateChanged);
    QSignalSpy progress(&recycle, &TemperatureRecycleInterface::progress);
    QVERIFY(module.updateTemperature());
    const float startKelvin = module.currentTemperature(0);
    QVERIFY(qAbs(startKelvin - BathKelvin) < 0.05);

    recycle.startProcess(1500, 500, 3000); // 60 s heating, 20 s thermalization, 120 s cooling
    QCOMPARE(states.size(), 4);
    const QList<int> begun{states.at(0).at(0).toInt(), states.at(1).at(0).toInt(), states.at(2).at(0).toInt(),
                           states.at(3).at(0).toInt()};
    QCOMPARE(begun, (QList<int>{3, 1, 2, 4}));
    QVERIFY(shorted(&sspdM0) && shorted(&sspdM1));
    QCOMPARE(int(relays(module) & 0x03), 0x01); // pump heater on, heat switch open
    QVERIFY(recycle.getElapsed() > 1000);

    QTRY_COMPARE_WITH_TIMEOUT(recycle.getCurrentState(), State::StateThermalization, 5000);
    QVERIFY(module.updateTemperature());
    QVERIFY2(module.currentTemperature(0) > startKelvin + 1.5, "the stage warms while the pump heats");
    QVERIFY2(module.currentTemperature(3) > 20.0, "the pump is hot enough to give off its gas");
    QCOMPARE(int(relays(module) & 0x03), 0x00);

    QTRY_COMPARE_WITH_TIMEOUT(recycle.getCurrentState(), State::StateCoolingDown, 5000);
    QCOMPARE(int(relays(module) & 0x03), 0x02); // heat switch closed: the pump cools and pumps
    QVERIFY(recycle.checkIntegrity());
    QVERIFY(!progress.isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(recycle.getCurrentState(), State::StateIdle, 8000);
    QCOMPARE(states.at(states.size() - 2).at(0).toInt(), int(State::StateFinishRecycling));
    QVERIFY(module.updateTemperature());
    QVERIFY2(module.currentTemperature(0) < BathKelvin - 1.0,
             qPrintable(QStringLiteral("stage at %1 K after the recycle").arg(module.currentTemperature(0))));
    QVERIFY(!shorted(&sspdM0));
    QVERIFY(shorted(&sspdM1));
    QVERIFY(recycle.unrestoredAddresses().isEmpty());

    // The progress tick ends with the procedure.
    const qsizetype ticks = progress.size();
    QTest::qWait(3 * TemperatureRecycleInterface::ProgressTickMs);
    QCOMPARE(progress.size(), ticks);
    QCOMPARE(recycle.getElapsed(), 0);
}

void tst_RelayRecycle::abortRestoresOnlyWhatWasSaved()
{
    SimulatorCrate crate;
    QVERIFY(crate.start(
        {SimulatorCrate::module(SspdM0Address, "VT4SDM0"), SimulatorCrate::module(TempAddress, "VT4TDM1")}));
    TempDriverM1 module;
    SspdDriverM0 sspd;
    crate.attach(&module, TempAddress);
    crate.attach(&sspd, SspdM0Address);
    bool ok = false;
    sspd.shortEnable()->setValueSync(true, &ok, 5);
    QVERIFY(ok);
    QList<CommonDriver *> drivers{&module, &sspd};
    TemperatureRecycleInterface recycle(&module, &drivers);
    QSignalSpy states(&recycle, &TemperatureRecycleInterface::stateChanged);

    // Without a run nothing is restored, so a shorted detector stays shorted.
    recycle.abortProcess();
    QVERIFY(states.isEmpty());
    QVERIFY(shorted(&sspd));
    QCOMPARE(int(relays(module) & 0x03), 0x02); // rested: heater off, heat switch closed

    sspd.shortEnable()->setValueSync(false, &ok, 5);
    recycle.startProcess(60000, 60000, 60000);
    QVERIFY(shorted(&sspd));
    states.clear();
    recycle.abortProcess();
    QCOMPARE(states.size(), 2);
    QCOMPARE(states.at(0).at(0).toInt(), int(State::StateProcessAborted));
    QCOMPARE(states.at(1).at(0).toInt(), int(State::StateIdle));
    QVERIFY(!shorted(&sspd));
    QCOMPARE(int(relays(module) & 0x03), 0x02);
    QCOMPARE(recycle.getElapsed(), 0);

    // A second abort, and a restore after the run ended, leave the detector alone.
    recycle.abortProcess();
    recycle.restoreSSPDParams();
    QVERIFY(!shorted(&sspd));
}

QTEST_GUILESS_MAIN(tst_RelayRecycle)
#include "tst_RelayRecycle.moc"
