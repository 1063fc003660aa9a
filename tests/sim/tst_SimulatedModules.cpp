// The SSPD M1 and temperature modules of the simulator, over its TCP port, and the cryostat they
// share: relay 1 of the four-channel module heats the stage the thermometers and detectors sit on.

#include "RawCrateClient.h"
#include "SimulatorProcess.h"
#include "WireValues.h"

#include <QTemporaryDir>
#include <QTest>

using WireValues::floatAt;
using WireValues::floatFrom;
using WireValues::floatImage;

namespace {
// Modules of the built-in crate.
constexpr quint8 SspdM1 = 3; ///< critical current 27 uA at the base temperature
constexpr quint8 TempM0 = 5;
constexpr quint8 TempM1 = 6;
constexpr quint8 IdentityType = 6;
constexpr quint8 WriteEeprom = 12;
constexpr int TablePoints = 100;
constexpr int ChunkPoints = 10;
constexpr int ThermalWaitMs = 20000;           ///< generous: simulated minutes at the time scale below
constexpr int CountingWaitMs = 5000;           ///< a few counting windows at the time scale below
const QString FastTime = QStringLiteral("60"); ///< simulated seconds per real second

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray result;
    for (int value : values)
        result += char(value);
    return result;
}

/// A table that is not the factory one: voltage falls 10 mV per point, temperature rises 0.5 K.
QByteArray handMadeTable()
{
    QByteArray table;
    for (int i = 0; i < TablePoints; ++i)
        table += floatImage(1.0f - 0.01f * float(i)) + floatImage(1.0f + 0.5f * float(i));
    return table;
}
} // namespace

class tst_SimulatedModules : public QObject
{
    Q_OBJECT
private slots:
    void getterSizes_data();
    void getterSizes();
    void settersAreAcknowledgedAndKept_data();
    void settersAreAcknowledgedAndKept();
    void refusedRequestsGetNoReply_data();
    void refusedRequestsGetNoReply();
    void tableChunksRoundTripAndSurviveRestart_data();
    void tableChunksRoundTripAndSurviveRestart();
    void idleThermometersReadTheColdStage();
    void heaterRelayWarmsStageAndLowersCriticalCurrent();
    void sspdM1CountsWithoutRfKey();
    void defaultParametersSetTheCurrentsAtReboot();

private:
    static bool startAndConnect(SimulatorProcess &simulator, RawCrateClient &client);
    static float temperatureM0(RawCrateClient &client);
};

bool tst_SimulatedModules::startAndConnect(SimulatorProcess &simulator, RawCrateClient &client)
{
    return simulator.start() && client.connectTo(simulator.port());
}

float tst_SimulatedModules::temperatureM0(RawCrateClient &client)
{
    const auto reply = client.request(TempM0, 17);
    return reply ? floatFrom(reply->data) : -1.0f;
}

void tst_SimulatedModules::getterSizes_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("size");
    const QList<QPair<int, int>> sspdM1{{16, 20}, {17, 4}, {53, 4}, {19, 4}, {20, 4}, {21, 1},  {29, 20},
                                        {31, 4},  {33, 4}, {35, 4}, {37, 4}, {39, 4}, {41, 44}, {43, 8},
                                        {54, 8},  {45, 8}, {47, 8}, {49, 8}, {58, 4}, {51, 1}};
    for (const auto &[code, size] : sspdM1)
        QTest::addRow("SSPD M1 code %d", code) << int(SspdM1) << code << QByteArray() << size;
    const QList<QPair<int, int>> tempM0{{16, 28}, {17, 4}, {18, 4}, {19, 4},  {21, 4},
                                        {22, 4},  {23, 4}, {24, 1}, {26, 48}, {28, 8},
                                        {30, 8},  {32, 8}, {34, 8}, {36, 8},  {38, 8}};
    for (const auto &[code, size] : tempM0)
        QTest::addRow("temperature M0 code %d", code) << int(TempM0) << code << QByteArray() << size;
    QTest::newRow("temperature M0 first chunk") << int(TempM0) << 40 << bytes({0, 10}) << 80;
    QTest::newRow("temperature M0 last chunk") << int(TempM0) << 40 << bytes({90, 10}) << 80;
    QTest::newRow("temperature M1 relays") << int(TempM1) << 42 << QByteArray() << 1;
    QTest::newRow("temperature M1 switcher mode") << int(TempM1) << 44 << QByteArray() << 4;
    QTest::newRow("temperature M1 default parameters") << int(TempM1) << 46 << QByteArray() << 20;
    QTest::newRow("temperature M1 coefficients") << int(TempM1) << 26 << QByteArray() << 64;
    QTest::newRow("temperature M1 one temperature") << int(TempM1) << 17 << bytes({3}) << 4;
    QTest::newRow("temperature M1 all temperatures") << int(TempM1) << 17 << bytes({0xFF}) << 16;
    QTest::newRow("temperature M1 one voltage") << int(TempM1) << 21 << bytes({0}) << 4;
    QTest::newRow("temperature M1 all voltages") << int(TempM1) << 21 << bytes({0xFF}) << 16;
    QTest::newRow("temperature M1 table chunk") << int(TempM1) << 40 << bytes({2, 50, 10}) << 80;
}

void tst_SimulatedModules::getterSizes()
{
    QFETCH(int, address);
    QFETCH(int, code);
    QFETCH(QByteArray, request);
    QFETCH(int, size);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const auto reply = client.request(quint8(address), quint8(code), request);
    QVERIFY(reply);
    QCOMPARE(int(reply->address), address);
    QCOMPARE(int(reply->command), code);
    QCOMPARE(reply->data.size(), size);
}

void tst_SimulatedModules::settersAreAcknowledgedAndKept_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("setter");
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("getter");
    QTest::addColumn<QByteArray>("expected"); ///< what the getter answers afterwards
    const QByteArray pair = floatImage(2.0f) + floatImage(0.1f);
    QByteArray sspdConstants;
    for (int i = 1; i <= 11; ++i)
        sspdConstants += floatImage(float(i) * 0.5f);
    QByteArray tempConstants;
    for (int i = 1; i <= 12; ++i)
        tempConstants += floatImage(float(i) * 0.25f);
    QByteArray coefficients;
    for (int i = 1; i <= 16; ++i)
        coefficients += floatImage(float(i));
    const QByteArray defaults = bytes({1}) + floatImage(5e-6f) + bytes({0}) + floatImage(1e-6f) + bytes({1}) +
                                floatImage(2e-5f) + bytes({0}) + floatImage(0.0f);

    QTest::newRow("SSPD M1 calibration record")
        << int(SspdM1) << 42 << sspdConstants << 41 << sspdConstants.mid(32);
    QTest::newRow("SSPD M1 pulse width (57 sets, 58 reads)")
        << int(SspdM1) << 57 << floatImage(1.5f) << 58 << floatImage(1.5f);
    // 1.5f = 0x3fc00000; the comparator pair follows the pulse width, so it sits at 32..35.
    QTest::newRow("SSPD M1 pulse width inside the record")
        << int(SspdM1) << 57 << floatImage(1.5f) << 41 << QByteArray::fromHex("0000c03f");
    QTest::newRow("SSPD M1 current monitor pair") << int(SspdM1) << 55 << pair << 54 << pair;
    QTest::newRow("SSPD M1 comparator pair") << int(SspdM1) << 50 << pair << 49 << pair;
    QTest::newRow("SSPD M1 high-frequency mode sets bit 3")
        << int(SspdM1) << 56 << bytes({1}) << 21 << bytes({0x0B});
    QTest::newRow("temperature M0 sensor current")
        << int(TempM0) << 20 << floatImage(2e-5f) << 19 << floatImage(2e-5f);
    QTest::newRow("temperature M0 commutator off") << int(TempM0) << 25 << bytes({0}) << 24 << bytes({0});
    QTest::newRow("temperature M0 calibration record")
        << int(TempM0) << 27 << tempConstants << 26 << tempConstants;
    QTest::newRow("temperature M0 first pair") << int(TempM0) << 29 << pair << 28 << pair;
    QTest::newRow("temperature M0 pressure pair") << int(TempM0) << 39 << pair << 38 << pair;
    QTest::newRow("temperature M1 relay 2 on") << int(TempM1) << 43 << bytes({0x22}) << 42 << bytes({0x02});
    QTest::newRow("temperature M1 state without mask changes nothing")
        << int(TempM1) << 43 << bytes({0x0F}) << 42 << bytes({0x00});
    QTest::newRow("temperature M1 switcher mode")
        << int(TempM1) << 45 << bytes({2, 0, 0, 0}) << 44 << bytes({2, 0, 0, 0});
    QTest::newRow("temperature M1 default parameters") << int(TempM1) << 47 << defaults << 46 << defaults;
    QTest::newRow("temperature M1 coefficients") << int(TempM1) << 27 << coefficients << 26 << coefficients;
}

void tst_SimulatedModules::settersAreAcknowledgedAndKept()
{
    QFETCH(int, address);
    QFETCH(int, setter);
    QFETCH(QByteArray, value);
    QFETCH(int, getter);
    QFETCH(QByteArray, expected);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    client.sendMessage(quint8(address), quint8(setter), value);
    QCOMPARE(client.takeBytes(3), bytes({address, setter, 0}));
    const auto reply = client.request(quint8(address), quint8(getter));
    QVERIFY(reply);
    constexpr int PulseWidthOffset = 32; ///< in the SSPD M1 calibration record
    if (getter == 41)
        QCOMPARE(reply->data.mid(PulseWidthOffset, expected.size()), expected);
    else
        QCOMPARE(reply->data, expected);
}

void tst_SimulatedModules::refusedRequestsGetNoReply_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("data");
    const QByteArray chunk = QByteArray(ChunkPoints * 8, '\0');
    QTest::newRow("SSPD M1 has no RF key") << int(SspdM1) << 25 << bytes({1});
    QTest::newRow("SSPD M1 pulse width, 3 bytes") << int(SspdM1) << 57 << bytes({0, 0, 0x80});
    QTest::newRow("SSPD M1 calibration, M0 size") << int(SspdM1) << 42 << QByteArray(32, '\0');
    QTest::newRow("temperature M0 chunk past the end") << int(TempM0) << 40 << bytes({95, 10});
    QTest::newRow("temperature M0 empty chunk") << int(TempM0) << 40 << bytes({0, 0});
    QTest::newRow("temperature M0 chunk one point short")
        << int(TempM0) << 41 << bytes({0, 10}) + chunk.left(72);
    QTest::newRow("temperature M0 current, 2 bytes") << int(TempM0) << 20 << bytes({0, 0});
    QTest::newRow("temperature M1 channel 4") << int(TempM1) << 17 << bytes({4});
    QTest::newRow("temperature M1 no channel") << int(TempM1) << 21 << QByteArray();
    QTest::newRow("temperature M1 current of channel 4")
        << int(TempM1) << 20 << bytes({4}) + floatImage(1e-5f);
    QTest::newRow("temperature M1 current without value") << int(TempM1) << 20 << bytes({0});
    QTest::newRow("temperature M1 unknown switcher mode") << int(TempM1) << 45 << bytes({7, 0, 0, 0});
    QTest::newRow("temperature M1 default parameters, 19 bytes") << int(TempM1) << 47 << QByteArray(19, '\1');
    QTest::newRow("temperature M1 table of channel 4") << int(TempM1) << 40 << bytes({4, 0, 10});
    QTest::newRow("temperature M1 chunk without channel") << int(TempM1) << 41 << bytes({0, 10}) + chunk;
}

void tst_SimulatedModules::refusedRequestsGetNoReply()
{
    QFETCH(int, address);
    QFETCH(int, code);
    QFETCH(QByteArray, data);
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    client.sendMessage(quint8(address), quint8(code), data);
    // Replies keep their order: had the refused request been answered, its reply would come first.
    const auto next = client.request(quint8(address), IdentityType);
    QVERIFY(next);
    QCOMPARE(int(next->command), int(IdentityType));
}

void tst_SimulatedModules::tableChunksRoundTripAndSurviveRestart_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QByteArray>("channel"); ///< the channel byte in front of a chunk, if any
    QTest::newRow("temperature M0") << int(TempM0) << QByteArray();
    QTest::newRow("temperature M1 channel 2") << int(TempM1) << bytes({2});
}

void tst_SimulatedModules::tableChunksRoundTripAndSurviveRestart()
{
    QFETCH(int, address);
    QFETCH(QByteArray, channel);
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QStringList arguments{"--state", directory.filePath(QStringLiteral("state.json"))};
    const QByteArray table = handMadeTable();
    const auto readTable = [&](RawCrateClient &client) {
        QByteArray read;
        for (int start = 0; start < TablePoints; start += ChunkPoints) {
            const auto reply = client.request(quint8(address), 40, channel + bytes({start, ChunkPoints}));
            if (!reply)
                return QByteArray();
            read += reply->data;
        }
        return read;
    };
    {
        SimulatorProcess simulator(arguments);
        RawCrateClient client;
        QVERIFY(startAndConnect(simulator, client));
        const QByteArray factory = readTable(client);
        QCOMPARE(factory.size(), TablePoints * 8);
        for (int start = 0; start < TablePoints; start += ChunkPoints) {
            const QByteArray chunk =
                channel + bytes({start, ChunkPoints}) + table.mid(start * 8, ChunkPoints * 8);
            QCOMPARE(chunk.size(), channel.size() + 82);
            const auto reply = client.request(quint8(address), 41, chunk);
            QVERIFY(reply);
            QCOMPARE(int(reply->command), 41);
        }
        QCOMPARE(readTable(client), table);
        if (!channel.isEmpty()) { // the other channels keep their tables
            const auto other = client.request(quint8(address), 40, bytes({0, 0, ChunkPoints}));
            QVERIFY(other);
            QCOMPARE(other->data, factory.left(ChunkPoints * 8));
        }
        QVERIFY(client.request(quint8(address), WriteEeprom));
        QVERIFY(simulator.stop());
    }
    SimulatorProcess restarted(arguments);
    RawCrateClient client;
    QVERIFY(startAndConnect(restarted, client));
    QCOMPARE(readTable(client), table);
}

void tst_SimulatedModules::idleThermometersReadTheColdStage()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    for (int i = 0; i < 20; ++i) {
        const float kelvin = temperatureM0(client);
        QVERIFY2(kelvin > 2.0f && kelvin < 4.0f, qPrintable(QString::number(kelvin)));
    }
    const auto channels = client.request(TempM1, 17, bytes({0xFF}));
    QVERIFY(channels);
    QCOMPARE(channels->data.size(), 16);
    for (int channel = 0; channel < 4; ++channel)
        QVERIFY(floatAt(channels->data, channel) > 2.0f && floatAt(channels->data, channel) < 4.0f);
    // The pressure comes from the two bridge voltages and the pressure pair (mbar per V).
    const auto record = client.request(TempM0, 16);
    QVERIFY(record);
    const float slope = floatFrom(client.request(TempM0, 38)->data.left(4));
    QVERIFY(qAbs(floatAt(record->data, 1) - slope * (floatAt(record->data, 4) - floatAt(record->data, 5))) <
            0.01f);
    QVERIFY(floatAt(record->data, 1) > 0);
}

void tst_SimulatedModules::heaterRelayWarmsStageAndLowersCriticalCurrent()
{
    SimulatorProcess simulator({"--time-scale", FastTime});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    const float base = temperatureM0(client);
    QVERIFY(base > 2.0f && base < 4.0f);
    // The detector biased just below its critical current at the base temperature.
    QVERIFY(client.request(SspdM1, 22, bytes({0x35}))); // short off, amplifier, comparator, counter
    QVERIFY(client.request(SspdM1, 18, floatImage(25e-6f)));
    QVERIFY(floatFrom(client.request(SspdM1, 19)->data) < 0.005f);

    QVERIFY(client.request(TempM1, 43, bytes({0x11}))); // relay 1: heater on
    QCOMPARE(client.request(TempM1, 42)->data, bytes({0x01}));
    // Noisy readings: wait for the first one past the mark, without reading again afterwards.
    QVERIFY(QTest::qWaitFor([&] { return temperatureM0(client) > base + 1.5f; }, ThermalWaitMs));
    // Warmer, the critical current has fallen below the bias: the wire latches (tens of mV).
    QVERIFY(
        QTest::qWaitFor([&] { return floatFrom(client.request(SspdM1, 19)->data) > 0.01f; }, ThermalWaitMs));
    const auto channel0 = client.request(TempM1, 17, bytes({0}));
    QVERIFY(channel0 && floatFrom(channel0->data) > base + 1.0f);

    QVERIFY(client.request(TempM1, 43, bytes({0x10}))); // heater off
    QVERIFY(QTest::qWaitFor([&] { return temperatureM0(client) < base + 0.1f; }, ThermalWaitMs));
}

void tst_SimulatedModules::sspdM1CountsWithoutRfKey()
{
    SimulatorProcess simulator({"--time-scale", FastTime});
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    QVERIFY(client.request(SspdM1, 22, bytes({0x35}))); // bit 3 (high-frequency mode) off
    QVERIFY(client.request(SspdM1, 18, floatImage(24e-6f)));
    QVERIFY(QTest::qWaitFor([&] { return floatFrom(client.request(SspdM1, 20)->data) > 0; }, CountingWaitMs));
    const auto record = client.request(SspdM1, 16);
    QVERIFY(record);
    QCOMPARE(record->data.size(), 20);
    QCOMPARE(quint8(record->data.at(16)), quint8(0x35));
    // Both read-outs of the bias current agree to within their noise and offset.
    QVERIFY(qAbs(floatAt(record->data, 0) - 24e-6f) < 0.1e-6f);
    QVERIFY(qAbs(floatAt(record->data, 1) - 24e-6f) < 0.1e-6f);
}

void tst_SimulatedModules::defaultParametersSetTheCurrentsAtReboot()
{
    SimulatorProcess simulator;
    RawCrateClient client;
    QVERIFY(startAndConnect(simulator, client));
    // Channel 1 not excited at power-on, channel 2 with twice the nominal 10 uA.
    const QByteArray defaults = bytes({1}) + floatImage(10e-6f) + bytes({0}) + floatImage(10e-6f) +
                                bytes({1}) + floatImage(20e-6f) + bytes({1}) + floatImage(10e-6f);
    QVERIFY(client.request(TempM1, 47, defaults));
    QVERIFY(client.request(TempM1, WriteEeprom));
    QVERIFY(client.request(TempM1, 11)); // reboot
    const auto voltages = client.request(TempM1, 21, bytes({0xFF}));
    QVERIFY(voltages);
    QCOMPARE(floatAt(voltages->data, 1), 0.0f);
    QVERIFY(floatAt(voltages->data, 2) > 1.5f * floatAt(voltages->data, 0));
    QCOMPARE(client.request(TempM1, 46)->data, defaults);
}

QTEST_GUILESS_MAIN(tst_SimulatedModules)
#include "tst_SimulatedModules.moc"
