// The simulator program driven over its TCP port, byte by byte, as the program and the other
// suites rely on it.

#include "RawCrateClient.h"
#include "SimulatorProcess.h"
#include "WireValues.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

using WireValues::floatFrom;
using WireValues::floatImage;

namespace {
constexpr quint8 SspdAddress = 1;       ///< first SSPD M0 module of the built-in crate
constexpr quint8 SecondSspdAddress = 2; ///< second SSPD M0 module
constexpr quint8 MissingAddress = 99;   ///< no module there
constexpr quint8 IdentityTypeCode = 6;
constexpr quint8 UdidCode = 5;

/// Getters whose replies do not change from run to run.
const QList<quint8> DeterministicGetters{5, 6, 7, 8, 9, 10, 29, 41, 21};

/// The getters above, pipelined in one write.
QByteArray deterministicRequests()
{
    QByteArray bytes;
    for (quint8 code : DeterministicGetters)
        bytes += QByteArray::fromHex("01") + char(code) + char(0);
    return bytes;
}
} // namespace

class tst_Simulator : public QObject
{
    Q_OBJECT
private slots:
    void moduleListJson();
    void legacyModuleList();
    void identityGetters_data();
    void identityGetters();
    void commonCommandsAreAcknowledged();
    void missingAndSilentModulesDoNotAnswer();
    void sspdGetterSizes_data();
    void sspdGetterSizes();
    void sspdSettersAreAcknowledgedAndKept_data();
    void sspdSettersAreAcknowledgedAndKept();
    void wrongSizedSetterIsNotAcknowledged();
    void detectorCountsInScaledTime();
    void demoCrateStartsCounting();
    void shapedRepliesCarryTheSameBytes_data();
    void shapedRepliesCarryTheSameBytes();
    void garbledModuleRepliesAreWrong();
    void textCommands_data();
    void textCommands();
    void moduleListEditsAndStateSurviveRestart();
    void corruptStateFileGivesDefaults();
    void crateDescriptionFile_data();
    void crateDescriptionFile();
    void garbageClientIsDropped();
    void discoveryCallsBack();
    void exitsCleanlyOnSigterm();

private:
    /// Starts a simulator with `arguments` and connects `client` to it.
    static bool startAndConnect(SimulatorProcess &simulator, RawCrateClient &client);
};

bool tst_Simulator::startAndConnect(SimulatorProcess &simulator, RawCrateClient &client)
{
    return simulator.start() && client.connectTo(simulator.port());
}

void tst_Simulator::moduleListJson()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const QString reply = client.query(QStringLiteral("SYST:DEVJ?"));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVJ?")));

    const QJsonObject list = QJsonDocument::fromJson(reply.toUtf8()).object();
    const QJsonArray info = list.value("info").toArray();
    QCOMPARE(list.value("count").toInt(), info.size());
    QStringList types;
    for (const QJsonValue &entry : info) {
        const QJsonObject module = entry.toObject();
        for (const char *key :
             {"address", "type", "Description", "Firmware", "Hardware", "Modification", "UDID"})
            QVERIFY2(module.contains(key), key);
        QVERIFY(QRegularExpression("^([0-9A-F]{4}-){5}[0-9A-F]{4}$")
                    .match(module.value("UDID").toString())
                    .hasMatch());
        types << module.value("type").toString();
    }
    QCOMPARE(types.count("VT4SDM0"), 2);
    QCOMPARE(types.count("VT4SDM1"), 2);
    QCOMPARE(types.count("VT4TDM0"), 1);
    QCOMPARE(types.count("VT4TDM1"), 1);
    QCOMPARE(types.size(), 7); // and one type the program does not drive
}

void tst_Simulator::legacyModuleList()
{
    SimulatorProcess simulator({"--legacy"});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QCOMPARE(client.query(QStringLiteral("SYST:DEVJ?")), QStringLiteral("UNKNOWN COMMAND"));

    const QStringList lines = client.query(QStringLiteral("SYST:DEVL?")).split("<br>", Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 7);
    const QStringList first = lines.first().split(':');
    QCOMPARE(first.size(), 3);
    QCOMPARE(first.at(1).section('=', 1), QStringLiteral("1"));
    QCOMPARE(first.at(2).section('=', 1), QStringLiteral("VT4SDM0"));
}

void tst_Simulator::identityGetters_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("SSPD M0 UDID") << 1 << 5 << QByteArray::fromHex("565453440001 20190A110001");
    QTest::newRow("SSPD M0 type") << 1 << 6 << QByteArray("VT4SDM0");
    QTest::newRow("SSPD M0 modification") << 1 << 7 << QByteArray("0");
    QTest::newRow("SSPD M0 hardware") << 1 << 8 << QByteArray("2.1");
    QTest::newRow("SSPD M0 firmware") << 1 << 9 << QByteArray("1.4.2");
    QTest::newRow("SSPD M0 description") << 1 << 10 << QByteArray("SSPD driver, channel A");
    QTest::newRow("SSPD M1 type") << 3 << 6 << QByteArray("VT4SDM1");
    QTest::newRow("temperature M0 type") << 5 << 6 << QByteArray("VT4TDM0");
    QTest::newRow("temperature M1 UDID") << 6 << 5 << QByteArray::fromHex("565454440101 20200D440006");
    QTest::newRow("unknown type firmware") << 7 << 9 << QByteArray("0.9.3");
}

void tst_Simulator::identityGetters()
{
    QFETCH(int, address);
    QFETCH(int, code);
    QFETCH(QByteArray, expected);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const auto reply = client.request(quint8(address), quint8(code));
    QVERIFY(reply);
    QCOMPARE(int(reply->address), address);
    QCOMPARE(int(reply->command), code);
    QCOMPARE(reply->data, expected);
}

void tst_Simulator::commonCommandsAreAcknowledged()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    for (quint8 address : {1, 3, 5, 6, 7}) {
        for (quint8 code : {0, 1, 2, 11, 12}) {
            client.sendMessage(address, code);
            QCOMPARE(client.takeBytes(3), QByteArray() + char(address) + char(code) + char(0));
        }
    }
}

void tst_Simulator::missingAndSilentModulesDoNotAnswer()
{
    SimulatorProcess simulator({"--silent", "2,5"});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    // The first reply that comes back must be the one of the module that answers.
    client.sendMessage(MissingAddress, IdentityTypeCode);
    client.sendMessage(SecondSspdAddress, IdentityTypeCode);
    client.sendMessage(5, IdentityTypeCode);
    const auto reply = client.request(SspdAddress, IdentityTypeCode);
    QVERIFY(reply);
    QCOMPARE(int(reply->address), int(SspdAddress));

    SimulatorProcess allSilent({"--silent", "all"});
    RawCrateClient silentClient;
    QVERIFY(startAndConnect(allSilent, silentClient));
    silentClient.sendMessage(SspdAddress, IdentityTypeCode);
    // A module reply would have come before the text reply.
    QCOMPARE(silentClient.query(QStringLiteral("SYST:LOCK 0")), QStringLiteral("ok"));
}

void tst_Simulator::sspdGetterSizes_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("size");
    const QList<QPair<int, int>> getters{{16, 16}, {17, 4}, {19, 4}, {20, 4}, {21, 1}, {29, 20},
                                         {31, 4},  {33, 4}, {35, 4}, {37, 4}, {39, 4}, {41, 32},
                                         {43, 8},  {45, 8}, {47, 8}, {49, 8}, {51, 1}};
    for (const auto &[code, size] : getters)
        QTest::addRow("code %d", code) << code << size;
}

void tst_Simulator::sspdGetterSizes()
{
    QFETCH(int, code);
    QFETCH(int, size);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const auto reply = client.request(SspdAddress, quint8(code));
    QVERIFY(reply);
    QCOMPARE(int(reply->command), code);
    QCOMPARE(reply->data.size(), size);
}

void tst_Simulator::sspdSettersAreAcknowledgedAndKept_data()
{
    QTest::addColumn<int>("setter");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("getter"); ///< reads the value back; -1: none
    const QByteArray params = floatImage(0.2f) + floatImage(0.5f) + floatImage(0.03f) + floatImage(2.0f) +
                              QByteArray::fromHex("07000000");
    QByteArray constants;
    for (int i = 1; i <= 8; ++i)
        constants += floatImage(float(i) * 1.5f);
    QTest::newRow("status") << 22 << QByteArray::fromHex("3d") << 21;
    QTest::newRow("params record") << 30 << params << 29;
    QTest::newRow("trigger level") << 32 << floatImage(0.25f) << 31;
    QTest::newRow("time constant") << 34 << floatImage(0.1f) << 33;
    QTest::newRow("auto-reset threshold") << 36 << floatImage(0.05f) << 35;
    QTest::newRow("auto-reset time-out") << 38 << floatImage(3.0f) << 37;
    QTest::newRow("alarm count") << 40 << QByteArray::fromHex("2a000000") << 39;
    QTest::newRow("calibration record") << 42 << constants << 41;
    QTest::newRow("current ADC pair") << 44 << floatImage(2.0f) + floatImage(-1.0f) << 43;
    QTest::newRow("voltage ADC pair") << 46 << floatImage(3.0f) + floatImage(0.5f) << 45;
    QTest::newRow("current DAC pair") << 48 << floatImage(4.0f) + floatImage(0.25f) << 47;
    QTest::newRow("trigger DAC pair") << 50 << floatImage(5.0f) + floatImage(0.125f) << 49;
    QTest::newRow("PID enable") << 52 << QByteArray::fromHex("01") << 51;
    QTest::newRow("bias current") << 18 << floatImage(10e-6f) << -1;
    for (int code = 23; code <= 28; ++code)
        QTest::addRow("switch %d", code) << code << QByteArray::fromHex("01") << -1;
}

void tst_Simulator::sspdSettersAreAcknowledgedAndKept()
{
    QFETCH(int, setter);
    QFETCH(QByteArray, value);
    QFETCH(int, getter);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    client.sendMessage(SspdAddress, quint8(setter), value);
    QCOMPARE(client.takeBytes(3), QByteArray() + char(SspdAddress) + char(setter) + char(0));
    if (getter < 0)
        return;
    const auto reply = client.request(SspdAddress, quint8(getter));
    QVERIFY(reply);
    QCOMPARE(reply->data, value);
}

void tst_Simulator::wrongSizedSetterIsNotAcknowledged()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    client.sendMessage(SspdAddress, 34, QByteArray::fromHex("000080")); // 3 bytes for a float
    const auto reply = client.request(SspdAddress, 33);
    QVERIFY(reply);
    QCOMPARE(int(reply->command), 33);
    QCOMPARE(floatFrom(reply->data), 1.0f); // the power-on time constant, unchanged
}

void tst_Simulator::detectorCountsInScaledTime()
{
    SimulatorProcess simulator({"--time-scale", "50"});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QVERIFY(client.request(SspdAddress, 22, QByteArray::fromHex("3d"))); // operate
    QVERIFY(client.request(SspdAddress, 18, floatImage(20e-6f)));        // below Ic (24 uA)
    float counts = 0;
    QTRY_VERIFY_WITH_TIMEOUT((counts = floatFrom(client.request(SspdAddress, 20)->data)) > 0, 5000);

    // Above the critical current the wire latches: tens of mV and no pulses.
    QVERIFY(client.request(SspdAddress, 18, floatImage(30e-6f)));
    const auto latched = client.request(SspdAddress, 19);
    QVERIFY(latched);
    QVERIFY(floatFrom(latched->data) > 0.01f);
    QTRY_COMPARE_WITH_TIMEOUT(floatFrom(client.request(SspdAddress, 20)->data), 0.0f, 5000);
}

void tst_Simulator::demoCrateStartsCounting()
{
    SimulatorProcess simulator({"--crate", QStringLiteral(VT_SIM_DEMO_CRATE), "--time-scale", "50"});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    // Channel A powers on biased below its critical current, short open and pulse chain on.
    QCOMPARE(client.request(SspdAddress, 21)->data, QByteArray::fromHex("3d"));
    QVERIFY(qAbs(floatFrom(client.request(SspdAddress, 17)->data) - 21e-6f) < 0.5e-6f);
    QTRY_VERIFY_WITH_TIMEOUT(floatFrom(client.request(SspdAddress, 20)->data) > 0, 5000);
    // A crate reset brings it back the same way.
    QCOMPARE(client.query("SYST:URES"), QStringLiteral("ok"));
    QCOMPARE(client.request(SspdAddress, 21)->data, QByteArray::fromHex("3d"));
}

void tst_Simulator::shapedRepliesCarryTheSameBytes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("split in 3-byte segments") << QStringList{"--split", "3"};
    QTest::newRow("coalesced") << QStringList{"--coalesce"};
    QTest::newRow("delayed") << QStringList{"--delay-ms", "30"};
    QTest::newRow("all together") << QStringList{"--split", "5", "--coalesce", "--delay-ms", "10"};
}

void tst_Simulator::shapedRepliesCarryTheSameBytes()
{
    QFETCH(QStringList, arguments);
    SimulatorProcess plain;
    RawCrateClient plainClient;
    QVERIFY(startAndConnect(plain, plainClient));
    plainClient.sendRaw(deterministicRequests());
    QByteArray expected;
    for (quint8 code : DeterministicGetters) {
        const auto reply = plainClient.takeMessage();
        QVERIFY(reply);
        QCOMPARE(reply->command, code);
        expected += QByteArray() + char(reply->address) + char(reply->command) + char(reply->data.size()) +
                    reply->data;
    }

    SimulatorProcess shaped(arguments);
    RawCrateClient shapedClient;
    QVERIFY(startAndConnect(shaped, shapedClient));
    shapedClient.sendRaw(deterministicRequests());
    QCOMPARE(shapedClient.takeBytes(int(expected.size())), expected);
    QCOMPARE(shapedClient.query(QStringLiteral("SYST:LOCK 1")), QStringLiteral("ok"));
}

void tst_Simulator::garbledModuleRepliesAreWrong()
{
    SimulatorProcess simulator({"--garble", "1"});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const auto udid = client.request(SspdAddress, UdidCode);
    QVERIFY(udid);
    QVERIFY(udid->data.size() != 12);
    const auto acknowledgement = client.request(SspdAddress, 0);
    QVERIFY(acknowledgement);
    QVERIFY(acknowledgement->command != 0);
    const auto other = client.request(SecondSspdAddress, UdidCode);
    QVERIFY(other);
    QCOMPARE(other->data.size(), 12);
}

void tst_Simulator::textCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::newRow("unit reset") << QStringList{} << "SYST:URES"
                                << "ok";
    QTest::newRow("system reset") << QStringList{} << "SYST:SRES"
                                  << "ok";
    QTest::newRow("power off") << QStringList{} << "SYST:POFF"
                               << "ok";
    QTest::newRow("lock") << QStringList{} << "SYST:LOCK 1"
                          << "ok";
    QTest::newRow("update a module") << QStringList{} << "SYST:UPDT 1"
                                     << "ok";
    QTest::newRow("update a missing module") << QStringList{} << "SYST:UPDT 99"
                                             << "ERROR";
    QTest::newRow("add, bad address") << QStringList{} << "SYST:DEVL:ADD 256"
                                      << "ERROR";
    QTest::newRow("remove, not a number") << QStringList{} << "SYST:DEVL:REMV x"
                                          << "ERROR";
    QTest::newRow("unknown") << QStringList{} << "SYST:FROB"
                             << "UNKNOWN COMMAND";
    QTest::newRow("line of another protocol") << QStringList{} << "HELLO crate"
                                              << "UNKNOWN COMMAND";
    QTest::newRow("failing add") << QStringList{"--fail-command", "SYST:DEVL:ADD"} << "SYST:DEVL:ADD 9"
                                 << "ERROR";
    QTest::newRow("other command still ok")
        << QStringList{"--fail-command", "SYST:DEVL:ADD", "--fail-command", "SYST:LOCK"} << "SYST:URES"
        << "ok";
    QTest::newRow("second failing prefix")
        << QStringList{"--fail-command", "SYST:DEVL:ADD", "--fail-command", "SYST:LOCK"} << "SYST:LOCK 0"
        << "ERROR";
}

void tst_Simulator::textCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, command);
    QFETCH(QString, reply);
    SimulatorProcess simulator(arguments);
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QCOMPARE(client.query(command), reply);
    QVERIFY(simulator.waitForLine(QStringLiteral("command ") + command));
}

void tst_Simulator::moduleListEditsAndStateSurviveRestart()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString stateFile = directory.filePath(QStringLiteral("state.json"));
    const QByteArray constants = QByteArray::fromHex("0000803f000000400000404000008040"
                                                     "0000a0400000c0400000e04000000041");
    {
        SimulatorProcess simulator({"--state", stateFile});
        RawCrateClient client;
        QVERIFY(startAndConnect(simulator, client));
        QCOMPARE(client.query(QStringLiteral("SYST:DEVL:REMV 2")), QStringLiteral("ok"));
        QCOMPARE(client.query(QStringLiteral("SYST:DEVL:ADD 40")), QStringLiteral("ok"));
        QCOMPARE(client.query(QStringLiteral("SYST:DEVL:SAVE")), QStringLiteral("ok"));
        QCOMPARE(client.query(QStringLiteral("SYST:DEVL:REMV 3")), QStringLiteral("ok")); // not saved
        QVERIFY(client.request(SspdAddress, 42, constants));
        QVERIFY(client.request(SspdAddress, 12));                      // write EEPROM
        QVERIFY(client.request(SspdAddress, 44, QByteArray(8, '\0'))); // changed, not written
        QVERIFY(simulator.stop());
    }
    SimulatorProcess restarted({"--state", stateFile});
    RawCrateClient client;
    QVERIFY(startAndConnect(restarted, client));
    const QJsonObject list =
        QJsonDocument::fromJson(client.query(QStringLiteral("SYST:DEVJ?")).toUtf8()).object();
    QList<int> addresses;
    for (const QJsonValue &entry : list.value("info").toArray())
        addresses << entry.toObject().value("address").toInt();
    QCOMPARE(addresses, (QList<int>{1, 3, 4, 5, 6, 7, 40}));
    QCOMPARE(client.request(40, IdentityTypeCode)->data, QByteArray("VT4SDM0")); // the default module
    QVERIFY(!client.request(SspdAddress, 41)->data.isEmpty());
    QCOMPARE(client.request(SspdAddress, 41)->data, constants);
}

void tst_Simulator::corruptStateFileGivesDefaults()
{
    QTemporaryDir directory;
    const QString stateFile = directory.filePath(QStringLiteral("state.json"));
    const QByteArray corrupt = "{\"version\": 1, \"modules\": [1, 2";
    QFile file(stateFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(corrupt);
    file.close();

    SimulatorProcess simulator({"--state", stateFile});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const QJsonObject list =
        QJsonDocument::fromJson(client.query(QStringLiteral("SYST:DEVJ?")).toUtf8()).object();
    QCOMPARE(list.value("count").toInt(), 7);
    QFile keptAside(stateFile + QStringLiteral(".corrupt"));
    QVERIFY(keptAside.open(QIODevice::ReadOnly));
    QCOMPARE(keptAside.readAll(), corrupt);
    QCOMPARE(client.query(QStringLiteral("SYST:DEVL:SAVE")), QStringLiteral("ok"));
}

void tst_Simulator::crateDescriptionFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("valid");
    QTest::newRow("own crate") << QByteArray(R"({"modules": [{"address": 9, "type": "VT4SDM0",
        "UDID": "0102-0304-0506-0708-090A-0B0C", "criticalCurrentUa": 18.5, "seed": 3}]})")
                               << true;
    QTest::newRow("not JSON") << QByteArray("modules: 9") << false;
    QTest::newRow("no module array") << QByteArray(R"({"modules": 9})") << false;
    QTest::newRow("address out of range")
        << QByteArray(R"({"modules": [{"address": 256, "type": "X"}]})") << false;
    QTest::newRow("address used twice")
        << QByteArray(R"({"modules": [{"address": 1, "type": "X"}, {"address": 1, "type": "Y"}]})") << false;
    QTest::newRow("short UDID") << QByteArray(R"({"modules": [{"address": 1, "type": "X", "UDID": "01"}]})")
                                << false;
    QTest::newRow("start bias out of range")
        << QByteArray(R"({"modules": [{"address": 1, "type": "VT4SDM0", "startBiasUa": 500}]})") << false;
    QTest::newRow("critical current not a number")
        << QByteArray(R"({"modules": [{"address": 1, "type": "X", "criticalCurrentUa": "high"}]})") << false;
}

void tst_Simulator::crateDescriptionFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(bool, valid);
    QTemporaryDir directory;
    const QString crateFile = directory.filePath(QStringLiteral("crate.json"));
    QFile file(crateFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(contents);
    file.close();

    if (!valid) {
        QProcess refused;
        refused.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        refused.start(QStringLiteral(VT_SIM_PATH), {"--port", "0", "--crate", crateFile});
        QVERIFY(refused.waitForFinished(5000));
        QCOMPARE(refused.exitStatus(), QProcess::NormalExit);
        QCOMPARE(refused.exitCode(), 2); // a clear refusal, not a crash
        return;
    }
    SimulatorProcess simulator({"--crate", crateFile});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QCOMPARE(client.request(9, UdidCode)->data, QByteArray::fromHex("0102030405060708090A0B0C"));
    // 18.5 uA: 18 uA stays superconducting, 19 uA latches.
    QVERIFY(client.request(9, 22, QByteArray::fromHex("3d")));
    QVERIFY(client.request(9, 18, floatImage(18e-6f)));
    QVERIFY(floatFrom(client.request(9, 19)->data) < 0.005f);
    QVERIFY(client.request(9, 18, floatImage(19e-6f)));
    QVERIFY(floatFrom(client.request(9, 19)->data) > 0.01f);
}

void tst_Simulator::garbageClientIsDropped()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QSignalSpy closed(&client.socket(), &QTcpSocket::disconnected);
    client.sendRaw("SYST:" + QByteArray(4000, 'Z'));
    QVERIFY(closed.wait(5000));
    QVERIFY(simulator.waitForLine(QStringLiteral("disconnected")));

    RawCrateClient next; // the simulator goes on serving others
    QVERIFY(next.connectTo(simulator.port()));
    QVERIFY(next.request(SspdAddress, IdentityTypeCode));
}

void tst_Simulator::discoveryCallsBack()
{
    // Loopback only: the datagram goes to 127.0.0.1 on a free port, the call-back to our server.
    QTcpServer callbacks;
    QVERIFY(callbacks.listen(QHostAddress::LocalHost, 0));
    QUdpSocket probe;
    QVERIFY(probe.bind(QHostAddress::LocalHost, 0));
    const quint16 discoveryPort = probe.localPort();
    probe.close();

    SimulatorProcess simulator({"--discovery", "--discovery-port", QString::number(discoveryPort),
                                "--callback-port", QString::number(callbacks.serverPort())});
    QVERIFY(simulator.start());
    QUdpSocket sender;
    sender.writeDatagram(QByteArray("not-us"), QHostAddress::LocalHost, discoveryPort);
    sender.writeDatagram(QByteArray("vt-software"), QHostAddress::LocalHost, discoveryPort);
    QVERIFY(callbacks.waitForNewConnection(5000));
    QTcpSocket *crate = callbacks.nextPendingConnection();
    QVERIFY(crate);
    QCOMPARE(crate->peerAddress().toIPv4Address(), QHostAddress(QHostAddress::LocalHost).toIPv4Address());
    QTRY_VERIFY(crate->bytesAvailable() > 0 || crate->state() != QAbstractSocket::ConnectedState);
    QVERIFY(!crate->readAll().isEmpty());
    QVERIFY(!callbacks.waitForNewConnection(300)); // one call-back for one discovery datagram
}

void tst_Simulator::exitsCleanlyOnSigterm()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QVERIFY(simulator.waitForLine(QStringLiteral("connection from")));
    QVERIFY(simulator.stop());
    QCOMPARE(simulator.process().exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_Simulator)
#include "tst_Simulator.moc"
