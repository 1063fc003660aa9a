#include "CalibrationPair.h"
#include "DataProviderList.h"
#include "EepromDataModel.h"
#include "EepromDataStorage.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 15000;
constexpr int SspdM0 = 1;
constexpr int SspdM1 = 3;
constexpr int TempM0 = 5;
} // namespace

/// The calibration editor's three commands through the facade and the worker against the
/// simulator: constants read, changed, sent, kept in EEPROM over a crate restart, and failures
/// that end the editor's wait with an error instead of "done".
class tst_EepromCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void constantsSurviveACrateRestart_data();
    void constantsSurviveACrateRestart();
    void noModuleAtTheAddressEndsTheWaitWithAnError();
    void moduleThatDoesNotAcknowledgeIsNotReportedDone();

private:
    void connectTo(SimulatorProcess &simulator);
    /// Runs one facade action and waits for its outcome; true when it reported done.
    bool reportsDone(const std::function<void()> &action);

    QTemporaryDir m_dir;
    QStringList m_errors;
};

void tst_EepromCommands::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

void tst_EepromCommands::cleanup()
{
    WorkerAsync::destroyInstance();
    m_errors.clear();
}

void tst_EepromCommands::connectTo(SimulatorProcess &simulator)
{
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));
    WorkerAsync *facade = WorkerAsync::instance();
    connect(facade, &WorkerAsync::sendErrorMessage, this,
            [this](const QString &, const QString &text) { m_errors << text; });
    QSignalSpy listed(facade->dataList(), &DataProviderList::updated);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QVERIFY(listed.wait(WaitMs));
    facade->sendCommand(WorkerAsync::CommandSetMode, int(WorkerAsync::WorkerModeNoAction));
}

bool tst_EepromCommands::reportsDone(const std::function<void()> &action)
{
    QSignalSpy done(WorkerAsync::instance(), &WorkerAsync::eepromDataUpdated);
    const qsizetype errorsBefore = m_errors.size();
    action();
    (void)QTest::qWaitFor([&] { return done.count() > 0 || m_errors.size() > errorsBefore; }, WaitMs);
    return done.count() == 1 && m_errors.size() == errorsBefore;
}

void tst_EepromCommands::constantsSurviveACrateRestart_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");
    QTest::newRow("SSPD M0") << SspdM0 << "Cmp_Ref_DAC" << 4;
    QTest::newRow("SSPD M1 pulse width") << SspdM1 << "PulseWidth" << 6;
    QTest::newRow("temperature M0 table") << TempM0 << "tempTable_57" << 106;
}

void tst_EepromCommands::constantsSurviveACrateRestart()
{
    QFETCH(int, address);
    QFETCH(QString, name);
    QFETCH(int, count);
    const QString state = m_dir.filePath(QStringLiteral("state-%1.json").arg(address));
    const QVariant changed = name == QLatin1String("PulseWidth")
                                 ? QVariant(37.25)
                                 : QVariant::fromValue(CalibrationPair(0.625, -41.5));
    WorkerAsync *facade = nullptr;
    EepromDataStorage *storage = nullptr;
    {
        SimulatorProcess simulator({"--state", state});
        QVERIFY(simulator.start());
        connectTo(simulator);
        facade = WorkerAsync::instance();
        storage = facade->eepromStorage();
        QVERIFY(reportsDone([&] { facade->sendCommand(WorkerAsync::CommandUpdateEepromConst, address); }));
        QCOMPARE(storage->count(), count);
        QVERIFY(storage->getByName(name)->value() != changed);
        const QVariantMap before = storage->constants();
        storage->getByName(name)->setValue(changed);
        QVERIFY(reportsDone([&] { facade->sendEepromData(); }));
        QVERIFY(reportsDone([&] { facade->writeEeprom(); }));
        // Sending does not touch what the editor shows.
        QCOMPARE(storage->getByName(name)->value(), changed);
        QCOMPARE(storage->constants().size(), before.size());
        WorkerAsync::destroyInstance();
        QVERIFY(simulator.stop());
    }
    SimulatorProcess restarted({"--state", state});
    QVERIFY(restarted.start());
    connectTo(restarted);
    facade = WorkerAsync::instance();
    storage = facade->eepromStorage();
    QVERIFY(reportsDone([&] { facade->sendCommand(WorkerAsync::CommandUpdateEepromConst, address); }));
    QCOMPARE(storage->address(), address);
    QCOMPARE(storage->getByName(name)->value(), changed);
    QCOMPARE(EepromDataModel::instance()->rowCount(), count);
}

void tst_EepromCommands::noModuleAtTheAddressEndsTheWaitWithAnError()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    connectTo(simulator);
    WorkerAsync *facade = WorkerAsync::instance();
    QVERIFY(!reportsDone([&] { facade->sendCommand(WorkerAsync::CommandUpdateEepromConst, 200); }));
    QVERIFY(!reportsDone([&] { facade->sendEepromData(); })); // nothing read yet
    QVERIFY(!reportsDone([&] { facade->sendCommand(WorkerAsync::CommandWriteEEPROM, 200); }));
    QCOMPARE(m_errors.size(), 3);
    QVERIFY2(m_errors.at(0).contains("No module at address 200"), qPrintable(m_errors.at(0)));

    // Constants the module needs but the editor lacks: nothing is sent.
    facade->eepromStorage()->initialize({{"type", 0}, {"address", SspdM0}, {"type_str", "VT4SDM0"}});
    QVERIFY(!reportsDone([&] { facade->sendEepromData(); }));
    QVERIFY2(m_errors.last().contains("could not be sent"), qPrintable(m_errors.last()));
}

void tst_EepromCommands::moduleThatDoesNotAcknowledgeIsNotReportedDone()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    connectTo(simulator);
    WorkerAsync *facade = WorkerAsync::instance();
    EepromDataStorage *storage = facade->eepromStorage();
    QVariantMap constants{{"type", 1}, {"address", SspdM1}, {"type_str", "VT4SDM1"}, {"PulseWidth", 3.0}};
    for (const char *pair :
         {"Current_ADC", "Current_DAC", "CurrentMonitor_ADC", "Voltage_ADC", "Cmp_Ref_DAC"})
        constants.insert(pair, QVariant::fromValue(CalibrationPair(1, 0)));
    storage->initialize(constants);
    const QVariantMap shown = storage->constants();
    // The crate goes away: nothing the editor sends is acknowledged any more.
    QVERIFY(simulator.stop());

    QVERIFY(!reportsDone([&] { facade->sendEepromData(); }));
    QVERIFY(!reportsDone([&] { facade->writeEeprom(); }));
    QVERIFY(!reportsDone([&] { facade->sendCommand(WorkerAsync::CommandUpdateEepromConst, SspdM1); }));
    QCOMPARE(m_errors.size(), 3);
    QVERIFY2(m_errors.at(0).contains("could not be sent"), qPrintable(m_errors.at(0)));
    QCOMPARE(storage->constants(), shown);
}

QTEST_GUILESS_MAIN(tst_EepromCommands)
#include "tst_EepromCommands.moc"
