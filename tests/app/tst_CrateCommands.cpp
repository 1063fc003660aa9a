#include "DataProviderList.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {
constexpr int WaitMs = 8000;
constexpr quint8 DeviceTypeGetter = 6;
} // namespace

/// Module list and crate text commands end to end: the facade in-process against the simulator.
class tst_CrateCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void listsModulesAndMakesDrivers();
    void listsModulesOfOlderCrate();
    void moduleListItemsStartWithTheirTypesKeys();
    void lockAndUpdateCommands();
    void addUnitSendsListQueryAndOneMessage();
    void failingStepSendsOneErrorAndStops();
    void secondConnectionDropsFirstLink();
    void failedConnectionSaysWhy_data();
    void failedConnectionSaysWhy();
    void crateThatClosesAfterTheListStaysUsable();

private:
    /// Connects the facade to `simulator` and returns the module list the worker sent.
    QJsonObject connectTo(SimulatorProcess &simulator);
    void collectMessages();

    QTemporaryDir m_config;
    QList<QJsonObject> m_lists;
    QStringList m_messages; ///< "title|text" of every message and error, in order
};

void tst_CrateCommands::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_CrateCommands::cleanup()
{
    WorkerAsync::destroyInstance();
    m_lists.clear();
    m_messages.clear();
}

void tst_CrateCommands::collectMessages()
{
    WorkerAsync *facade = WorkerAsync::instance();
    connect(
        facade->worker(), &WorkerProcess::deviceListUpdated, this,
        [this](const QJsonObject &list) { m_lists << list; }, Qt::QueuedConnection);
    connect(facade, &WorkerAsync::sendMessage, this,
            [this](const QString &title, const QString &text) { m_messages << title + '|' + text; });
    connect(facade, &WorkerAsync::sendErrorMessage, this,
            [this](const QString &title, const QString &text) { m_messages << title + '|' + text; });
}

QJsonObject tst_CrateCommands::connectTo(SimulatorProcess &simulator)
{
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));
    collectMessages();
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    if (!connected.wait(WaitMs) || !QTest::qWaitFor([this] { return !m_lists.isEmpty(); }, WaitMs))
        return {};
    return m_lists.takeFirst();
}

void tst_CrateCommands::listsModulesAndMakesDrivers()
{
    SimulatorProcess simulator({"--verbose-modules"});
    QVERIFY(simulator.start());
    const QJsonObject list = connectTo(simulator);
    QCOMPARE(list.value("count").toInt(), 7);
    QCOMPARE(list.value("info").toArray().size(), 7);
    QCOMPARE(list.value("info").toArray().at(0).toObject().value("type").toString(),
             QStringLiteral("VT4SDM0"));
    QVERIFY(!list.contains("software_version"));
    // Every driven module had its type string read once by its new driver.
    QVERIFY(simulator.waitForLine(QStringLiteral("module reply 1 %1").arg(DeviceTypeGetter)));
    QVERIFY(simulator.countLines(QStringLiteral("module reply 2 %1").arg(DeviceTypeGetter)) == 1);
    QCOMPARE(simulator.countLines(QStringLiteral("module request 7 ")), 0);
}

void tst_CrateCommands::listsModulesOfOlderCrate()
{
    SimulatorProcess simulator({"--legacy"});
    QVERIFY(simulator.start());
    const QJsonObject list = connectTo(simulator);
    QVERIFY(simulator.countLines(QStringLiteral("command SYST:DEVL?")) == 1);
    QCOMPARE(list.value("software_version").toString(), QStringLiteral("<1.3.0"));
    const QJsonArray info = list.value("info").toArray();
    QCOMPARE(list.value("count").toInt(), info.size());
    QVERIFY(info.size() >= 2);
    const QJsonObject first = info.at(0).toObject();
    QCOMPARE(first.value("address").toInt(), 1);
    QCOMPARE(first.value("type").toString(), QStringLiteral("VT4SDM0"));
    QCOMPARE(first.value("Description").toString(), QStringLiteral("SSPD driver, channel A"));
    QCOMPARE(first.value("Firmware").toString(), QStringLiteral("1.4.2"));
    QCOMPARE(first.value("UDID").toString(), QStringLiteral("5654-5344-0001-2019-0A11-0001"));
    QCOMPARE(WorkerAsync::instance()->statusText(), QStringLiteral("Connected!!!"));
}

void tst_CrateCommands::moduleListItemsStartWithTheirTypesKeys()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    QVERIFY(!connectTo(simulator).isEmpty());
    const QList<DataProviderItem> items = WorkerAsync::instance()->dataList()->items();
    QCOMPARE(items.size(), 7);
    const QStringList common{"Description", "Firmware", "Hardware", "Modification", "UDID", "address",
                             "operate",     "restore",  "selected", "status",       "type"};
    const QStringList sspd{"auto_reset_counts",
                           "auto_reset_threshold",
                           "auto_reset_time_out",
                           "cmp_ref_level",
                           "counts",
                           "cps",
                           "current",
                           "latched",
                           "reading_valid",
                           "status_amplifier_on",
                           "status_autoreset_on",
                           "status_comparator_on",
                           "status_counter_on",
                           "status_error",
                           "status_inite",
                           "status_shorted",
                           "time_const",
                           "voltage"};
    const QStringList temperature{
        "pressure",    "pressure_sensor_voltage_neg", "pressure_sensor_voltage_pos", "reading_valid",
        "temperature", "temperature_sensor_current",  "temperature_sensor_voltage"};
    const QList<QStringList> extraByType{sspd + QStringList{"status_rfkey_to_cmp"},
                                         sspd + QStringList{"currentMonitor", "status_hfmode_on"},
                                         temperature,
                                         {"reading_valid", "temperature"},
                                         {}};
    const QList<int> typeOfAddress{0, 0, 1, 1, 2, 3, 4};
    for (int i = 0; i < items.size(); ++i) {
        const DataProviderItem &item = items.at(i);
        const int type = typeOfAddress.at(i);
        QCOMPARE(item.byName("address").toInt(), i + 1);
        QCOMPARE(item.byName("type").toInt(), type);
        QStringList expected = common + extraByType.at(type);
        expected.sort();
        QCOMPARE(item.keys(), expected);
        QCOMPARE(item.byName("status").toInt(), 0);
    }
    QCOMPARE(items.at(0).byName("status_shorted").toInt(), 1);
    QCOMPARE(items.at(0).byName("time_const").toInt(), 1);
    QCOMPARE(items.at(2).byName("status_hfmode_on").toInt(), 1);
    QCOMPARE(items.at(0).byName("Description").toString(), QStringLiteral("SSPD driver, channel A"));
    QCOMPARE(items.at(0).byName("selected").toBool(), false);
}

void tst_CrateCommands::lockAndUpdateCommands()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    QVERIFY(!connectTo(simulator).isEmpty());
    WorkerAsync *facade = WorkerAsync::instance();
    facade->sendCommand(WorkerAsync::CommandLock, 5);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 1")));
    facade->sendCommand(WorkerAsync::CommandLock, 0);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0")));
    simulator.clearLines();
    facade->sendCommand(WorkerAsync::CommandUpdateUnit, 3);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:UPDT 3")));
    QCOMPARE(simulator.lines().filter("command ").first(), QStringLiteral("command SYST:LOCK 1"));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(", ")));

    // A reset says it succeeded and reads the module list again; power-off says it too.
    simulator.clearLines();
    facade->sendCommand(WorkerAsync::CommandResetUnits, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, WaitMs);
    QCOMPARE(m_messages.last(), QStringLiteral("Success|The crate's modules were reset."));
    QCOMPARE(simulator.lines().filter("command "), (QStringList{"command SYST:URES", "command SYST:DEVJ?"}));
    QTRY_COMPARE_WITH_TIMEOUT(m_lists.size(), 1, WaitMs);
    facade->sendCommand(WorkerAsync::CommandPowerOff, 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 2, WaitMs);
    QCOMPARE(m_messages.last(), QStringLiteral("Success|The crate powers off."));
}

void tst_CrateCommands::addUnitSendsListQueryAndOneMessage()
{
    QTemporaryDir state;
    SimulatorProcess simulator({"--state", state.filePath("crate.json")});
    QVERIFY(simulator.start());
    QVERIFY(!connectTo(simulator).isEmpty());
    // As in the device manager, which keeps the worker from polling while it is open.
    WorkerAsync::instance()->activateMode(WorkerAsync::WorkerModeNoAction);
    QSignalSpy readings(WorkerAsync::instance()->worker(), &WorkerProcess::dataReady);
    simulator.clearLines();
    WorkerAsync::instance()->sendCommand(WorkerAsync::CommandAddUnit, 12);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, WaitMs);
    QCOMPARE(m_messages.first(), QStringLiteral("Success|Unit 12 sicessfully added"));
    QCOMPARE(simulator.lines().filter("command "),
             (QStringList{"command SYST:DEVL:ADD 12", "command SYST:DEVL:SAVE", "command SYST:DEVJ?"}));
    QTRY_COMPARE_WITH_TIMEOUT(m_lists.size(), 1, WaitMs);
    // The rebuilt list gets every module's state at once, not only when polling resumes.
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(readings.cbegin(), readings.cend(),
                                         [](const QList<QVariant> &reading) {
                                             return reading.at(0).toInt() == 1 &&
                                                    reading.at(1).toHash().value("status").toInt() ==
                                                        DataProviderList::DeviceStatusActive;
                                         }),
                             WaitMs);

    WorkerAsync::instance()->sendCommand(WorkerAsync::CommandRemoveUnit, 12);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 2, WaitMs);
    QVERIFY(m_messages.last().startsWith(QStringLiteral("Success|")));
}

void tst_CrateCommands::failingStepSendsOneErrorAndStops()
{
    SimulatorProcess simulator({"--fail-command", "SYST:DEVL:SAVE"});
    QVERIFY(simulator.start());
    QVERIFY(!connectTo(simulator).isEmpty());
    simulator.clearLines();
    WorkerAsync::instance()->sendCommand(WorkerAsync::CommandRemoveUnit, 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, WaitMs);
    QCOMPARE(m_messages.first(), QStringLiteral("Error|Error at 'SYST:DEVL:SAVE' command"));
    QTest::qWait(600);
    QCOMPARE(m_messages.size(), 1);
    QCOMPARE(simulator.countLines(QStringLiteral("command SYST:DEVJ?")), 0);
}

void tst_CrateCommands::secondConnectionDropsFirstLink()
{
    SimulatorProcess first;
    QVERIFY(first.start());
    QVERIFY(!connectTo(first).isEmpty());

    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const quint16 refusingPort = closed.serverPort();
    qputenv("VT4_CRATE_PORT", QByteArray::number(refusingPort));
    closed.close();
    WorkerAsync *facade = WorkerAsync::instance();
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QVERIFY(first.waitForLine(QStringLiteral("disconnected"), WaitMs));
    QTRY_COMPARE_WITH_TIMEOUT(facade->statusText(),
                              QStringLiteral("Connection failure!\n127.0.0.1:%1 refused the connection: "
                                             "no crate listens there.")
                                  .arg(refusingPort),
                              WaitMs);
    QVERIFY(facade->GUIEnable());

    // With no crate left, crate commands are dropped without a message.
    facade->sendCommand(WorkerAsync::CommandLock, 1);
    QTest::qWait(100);
    QVERIFY(m_messages.isEmpty());
}

void tst_CrateCommands::failedConnectionSaysWhy_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a crate") << QByteArray("this is not a module list\r\n")
                                 << QStringLiteral("127.0.0.1:%1 answered, but not as a crate.");
    QTest::newRow("silent") << QByteArray() << QStringLiteral("No answer from 127.0.0.1:%1 within 0.5 s.");
}

void tst_CrateCommands::failedConnectionSaysWhy()
{
    QFETCH(QByteArray, reply);
    QFETCH(QString, reason);
    QTcpServer crate;
    QVERIFY(crate.listen(QHostAddress::LocalHost));
    connect(&crate, &QTcpServer::newConnection, this, [&crate, reply] {
        QTcpSocket *socket = crate.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket, reply] {
            socket->readAll();
            socket->write(reply);
        });
    });
    qputenv("VT4_CRATE_PORT", QByteArray::number(crate.serverPort()));
    collectMessages();
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QTRY_COMPARE_WITH_TIMEOUT(m_lists.size(), 1, WaitMs);
    QVERIFY(m_lists.first().isEmpty());
    QTRY_COMPARE(facade->statusText(),
                 QStringLiteral("Connection failure!\n") + reason.arg(crate.serverPort()));
    QVERIFY(facade->GUIEnable());
    // Whatever answered is no crate: the welcome window must not hand over to the main window.
    QCOMPARE(connected.count(), 0);
}

void tst_CrateCommands::crateThatClosesAfterTheListStaysUsable()
{
    QTcpServer crate;
    QVERIFY(crate.listen(QHostAddress::LocalHost));
    bool listSent = false;
    connect(&crate, &QTcpServer::newConnection, this, [&crate, &listSent] {
        QTcpSocket *socket = crate.nextPendingConnection();
        connect(socket, &QTcpSocket::readyRead, socket, [socket, &listSent] {
            socket->readAll();
            // A module without a driver: no module traffic follows the list.
            socket->write(R"({"count":1,"info":[{"address":9,"type":"VT4HTM0"}]})");
            socket->flush();
            listSent = true;
            socket->disconnectFromHost();
        });
    });
    qputenv("VT4_CRATE_PORT", QByteArray::number(crate.serverPort()));
    collectMessages();
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QVERIFY(connected.wait(WaitMs));
    QVERIFY(listSent);
    crate.close();

    // The crate has gone: commands fail with one message each, and the GUI gets its answers.
    facade->sendCommand(WorkerAsync::CommandLock, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 1, WaitMs);
    QCOMPARE(m_messages.first(), QStringLiteral("Error|Error at 'SYST:LOCK 1' command"));
    facade->sendCommand(WorkerAsync::CommandAddUnit, 3);
    QTRY_COMPARE_WITH_TIMEOUT(m_messages.size(), 2, WaitMs);
    QCOMPARE(m_messages.last(), QStringLiteral("Error|Error at 'SYST:DEVL:ADD 3' command"));
    QVERIFY(facade->GUIEnable());
    QCOMPARE(facade->dataList()->items().size(), 1);
}

QTEST_GUILESS_MAIN(tst_CrateCommands)
#include "tst_CrateCommands.moc"
