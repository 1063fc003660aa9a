// The temperature drivers against a scripted peer: M0 coherence and its calibration table in
// chunks, M1 per-channel transfers and their length checks.
#include "PeerLink.h"
#include "TempDriverM0.h"
#include "TempDriverM1.h"

#include <QSignalSpy>
#include <QTest>
#include <cstring>

namespace {
constexpr quint8 Address = 5;
constexpr quint8 GetData = 16, GetTable = 40, SetTable = 41;
constexpr quint8 GetTemperature = 17, SetChannelCurrent = 20, GetVoltage = 21, GetDefaults = 46;
constexpr int ChunkBytes = 2 + 10 * 8;
constexpr int ChunkAttempts = 5;
using Request = ScriptedModulePeer::Request;

/// Ten table points whose voltage is their index and temperature ten times it, as 8-byte images.
QByteArray pointImages(int start)
{
    QByteArray bytes;
    for (int i = start; i < start + 10; ++i) {
        const float point[2] = {float(i), float(i * 10)};
        bytes.append(reinterpret_cast<const char *>(point), sizeof point);
    }
    return bytes;
}

/// Byte `i` of a request, 0 when it is shorter.
int byteAt(const QByteArray &data, int i)
{
    return i < data.size() ? quint8(data.at(i)) : 0;
}

QByteArray floats(std::initializer_list<float> values)
{
    QByteArray bytes;
    for (float value : values)
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    return bytes;
}
} // namespace

class tst_TempDrivers : public QObject
{
    Q_OBJECT
private slots:
    void m0DataReadFansOut();
    void m0SendTableInTenChunks();
    void m0SendStopsAtUnacknowledgedChunk();
    void m0ReceiveTable_data();
    void m0ReceiveTable();
    void m0TransferIgnoresOtherCodes();
    void m1ChannelReads_data();
    void m1ChannelReads();
    void m1SetCurrentChannels_data();
    void m1SetCurrentChannels();
    void m1OutOfRangeAccessors();
    void m1DefaultParams();
    void m1TablesCarryChannel();
};

void tst_TempDrivers::m0DataReadFansOut()
{
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setAnswer(Address, GetData,
                         floats({3.0f, 0.5f, 1e-5f, 1.5f, 10.0f, -2.5f}) + QByteArray::fromHex("01eeeeee"));
    QSignalSpy updated(&bench.driver, &TempDriverM0::dataUpdated);
    bool ok = false;
    bench.driver.data()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(bench.driver.commutator()->currentValue(), true);
    QCOMPARE(bench.driver.temperature()->currentValue(), 3.0f);
    QCOMPARE(bench.driver.pressSensorVoltageN()->currentValue(), -2.5f);
    QCOMPARE(updated.size(), 1);

    bench.peer.setAnswer(Address, GetTemperature, floats({4.0f}));
    bench.driver.temperature()->getValueSync(&ok, 1);
    QCOMPARE(bench.driver.data()->currentValue().temperature, 4.0f);
    QCOMPARE(bench.driver.data()->currentValue().pressure, 0.5f);
    QCOMPARE(updated.size(), 2);
}

void tst_TempDrivers::m0SendTableInTenChunks()
{
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    for (int i = 0; i < VT4TDM0_TempTablePoints; ++i)
        bench.driver.tempTable()[i] = {float(i), float(i * 10)};
    QVERIFY(bench.driver.sendTempTable());
    const auto requests = bench.peer.requests();
    QCOMPARE(requests.size(), 10);
    for (int chunk = 0; chunk < 10; ++chunk) {
        const int start = chunk * 10;
        QCOMPARE(requests[chunk].command, SetTable);
        QCOMPARE(requests[chunk].data.size(), ChunkBytes);
        QCOMPARE(quint8(requests[chunk].data[0]), quint8(start));
        QCOMPARE(quint8(requests[chunk].data[1]), quint8(10));
        QCOMPARE(requests[chunk].data.mid(2), pointImages(start));
    }
}

void tst_TempDrivers::m0SendStopsAtUnacknowledgedChunk()
{
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setResponder([](const Request &request) {
        const bool fourthChunk = byteAt(request.data, 0) == 30;
        return fourthChunk ? QByteArray() : ScriptedModulePeer::record(request.address, request.command);
    });
    QVERIFY(!bench.driver.sendTempTable());
    const auto requests = bench.peer.requests();
    QCOMPARE(requests.size(), 3 + ChunkAttempts);
    for (const Request &request : requests)
        QVERIFY(quint8(request.data[0]) <= 30);
}

void tst_TempDrivers::m0ReceiveTable_data()
{
    QTest::addColumn<int>("failingStart");
    QTest::addColumn<QByteArray>("failingReply"); // empty: no reply at all
    QTest::addColumn<bool>("ok");
    QTest::newRow("all chunks whole") << -1 << QByteArray() << true;
    QTest::newRow("short chunk") << 40 << pointImages(40).left(76) << false;
    QTest::newRow("long chunk") << 40 << pointImages(40) + QByteArray(8, '\x7f') << false;
    QTest::newRow("silent chunk") << 40 << QByteArray() << false;
}

void tst_TempDrivers::m0ReceiveTable()
{
    QFETCH(int, failingStart);
    QFETCH(QByteArray, failingReply);
    QFETCH(bool, ok);
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setResponder([&](const Request &request) {
        const int start = byteAt(request.data, 0);
        if (start != failingStart)
            return ScriptedModulePeer::record(request.address, request.command, pointImages(start));
        return failingReply.isEmpty()
                   ? QByteArray()
                   : ScriptedModulePeer::record(request.address, request.command, failingReply);
    });
    const VT4TDM0V1_Temp_Table_Item_t marker{-1.0f, -1.0f};
    std::fill_n(bench.driver.tempTable(), VT4TDM0_TempTablePoints, marker);

    QCOMPARE(bench.driver.receiveTempTable(), ok);
    QCOMPARE(bench.peer.requests().first().data, QByteArray::fromHex("000a"));
    const int storedUpTo = ok ? VT4TDM0_TempTablePoints : failingStart;
    for (int i = 0; i < VT4TDM0_TempTablePoints; ++i) {
        const VT4TDM0V1_Temp_Table_Item_t expected =
            i < storedUpTo ? VT4TDM0V1_Temp_Table_Item_t{float(i), float(i * 10)} : marker;
        QCOMPARE(bench.driver.tempTable()[i], expected);
    }
}

void tst_TempDrivers::m0TransferIgnoresOtherCodes()
{
    // A module that answers a chunk read with some other command must not have an older chunk
    // taken for the new one.
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setResponder([](const Request &request) {
        const int start = byteAt(request.data, 0);
        const quint8 command = start == 0 ? request.command : quint8(99);
        return ScriptedModulePeer::record(request.address, command, pointImages(start));
    });
    QVERIFY(!bench.driver.receiveTempTable());
    QCOMPARE(bench.driver.tempTable()[9], (VT4TDM0V1_Temp_Table_Item_t{9.0f, 90.0f}));
    QCOMPARE(bench.driver.tempTable()[10], (VT4TDM0V1_Temp_Table_Item_t{}));
}

void tst_TempDrivers::m1ChannelReads_data()
{
    QTest::addColumn<bool>("temperature");
    QTest::addColumn<int>("channel"); // -1: all channels
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("ok");
    const QByteArray four = floats({1.0f, 2.0f, 3.0f, 4.0f});
    QTest::newRow("voltages") << false << -1 << four << true;
    QTest::newRow("temperatures") << true << -1 << four << true;
    QTest::newRow("temperatures, 12 bytes") << true << -1 << four.left(12) << false;
    QTest::newRow("voltages, 20 bytes") << false << -1 << four + floats({5.0f}) << false;
    QTest::newRow("voltage of channel 2") << false << 2 << floats({7.0f}) << true;
    QTest::newRow("temperature of channel 3, 16 bytes") << true << 3 << four << false;
}

void tst_TempDrivers::m1ChannelReads()
{
    QFETCH(bool, temperature);
    QFETCH(int, channel);
    QFETCH(QByteArray, reply);
    QFETCH(bool, ok);
    PeerLink<TempDriverM1> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setResponder([&](const Request &request) {
        return ScriptedModulePeer::record(request.address, request.command, reply);
    });
    TempDriverM1 &d = bench.driver;
    const bool all = channel < 0;
    const auto ch = static_cast<unsigned char>(channel);
    const bool result = temperature ? (all ? d.updateTemperature() : d.updateTemperature(ch))
                                    : (all ? d.updateVoltage() : d.updateVoltage(ch));
    QCOMPARE(result, ok);
    QCOMPARE(bench.peer.requests().size(), 1);
    QCOMPARE(bench.peer.requests().first().command, temperature ? GetTemperature : GetVoltage);
    QCOMPARE(bench.peer.requests().first().data, QByteArray(1, all ? '\xff' : char(channel)));
    for (unsigned char c = 0; c < VT4TDM1_Channels; ++c) {
        const float value = temperature ? d.currentTemperature(c) : d.currentVoltage(c);
        float expected = 0.0f;
        if (ok && all)
            expected = float(c + 1);
        else if (ok && c == channel)
            std::memcpy(&expected, reply.constData(), sizeof expected);
        QCOMPARE(value, expected);
    }
}

void tst_TempDrivers::m1SetCurrentChannels_data()
{
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("sent");
    QTest::newRow("channel 0") << 0 << true;
    QTest::newRow("channel 3") << 3 << true;
    QTest::newRow("all channels") << 255 << true;
    QTest::newRow("channel 4") << 4 << false;
}

void tst_TempDrivers::m1SetCurrentChannels()
{
    QFETCH(int, channel);
    QFETCH(bool, sent);
    PeerLink<TempDriverM1> bench;
    QVERIFY(bench.start(Address));
    QCOMPARE(bench.driver.setCurrent(static_cast<unsigned char>(channel), 1.0f), sent);
    QCOMPARE(bench.peer.requests().size(), sent ? 1 : 0);
    if (sent) {
        QCOMPARE(bench.peer.requests().first().command, SetChannelCurrent);
        QCOMPARE(bench.peer.requests().first().data, QByteArray(1, char(channel)) + floats({1.0f}));
    }
}

void tst_TempDrivers::m1OutOfRangeAccessors()
{
    TempDriverM1 d;
    d.setDefaultParam(4, {true, 1.0f});
    d.setDefaultParam(-1, {true, 1.0f});
    d.setTempTableItem(0, 100, {1.0f, 1.0f});
    d.setTempTableItem(4, 0, {1.0f, 1.0f});
    QCOMPARE(d.currentVoltage(7), 0.0f);
    QCOMPARE(d.tempTableItem(0, 100), (VT4TDM0V1_Temp_Table_Item_t{}));
    QCOMPARE(d.tempTable(4), nullptr);
    QCOMPARE(d.defaultParam(4).flag, false);
    for (unsigned char c = 0; c < VT4TDM1_Channels; ++c)
        QCOMPARE(d.defaultParam(c).flag, false);
    QCOMPARE(d.tempTableItem(0, 99), (VT4TDM0V1_Temp_Table_Item_t{}));
}

void tst_TempDrivers::m1DefaultParams()
{
    PeerLink<TempDriverM1> bench;
    QVERIFY(bench.start(Address));
    const QByteArray image = QByteArray::fromHex("010000803f"
                                                 "0000000040"
                                                 "0100004040"
                                                 "0000008040");
    bench.driver.setDefaultParam(0, {true, 1.0f});
    bench.driver.setDefaultParam(1, {false, 2.0f});
    bench.driver.setDefaultParam(2, {true, 3.0f});
    bench.driver.setDefaultParam(3, {false, 4.0f});
    QVERIFY(bench.driver.writeDefaultParams());
    QCOMPARE(bench.peer.requests().first().data, image);

    TempDriverM1 &d = bench.driver;
    bench.peer.setAnswer(Address, GetDefaults, image.left(19));
    QVERIFY(!d.readDefaultParams());
    bench.peer.setAnswer(Address, GetDefaults, QByteArray::fromHex("00000020c0") + image.mid(5));
    QVERIFY(d.readDefaultParams());
    QCOMPARE(d.defaultParam(0).flag, false);
    QCOMPARE(d.defaultParam(0).value, -2.5f);
    QCOMPARE(d.defaultParam(2).flag, true);
    QCOMPARE(d.defaultParam(3).value, 4.0f);
}

void tst_TempDrivers::m1TablesCarryChannel()
{
    PeerLink<TempDriverM1> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setResponder([](const Request &request) {
        const int start = byteAt(request.data, 1);
        const QByteArray data = request.command == GetTable ? pointImages(start) : QByteArray();
        return ScriptedModulePeer::record(request.address, request.command, data);
    });
    QVERIFY(bench.driver.receiveTempTables());
    QCOMPARE(bench.peer.requests().size(), 40);
    QCOMPARE(bench.peer.requests().at(13).data, QByteArray::fromHex("011e0a")); // channel 1, start 30
    QCOMPARE(bench.driver.tempTableItem(3, 99), (VT4TDM0V1_Temp_Table_Item_t{99.0f, 990.0f}));

    bench.peer.clearRequests();
    QVERIFY(bench.driver.sendTempTables());
    const auto requests = bench.peer.requests();
    QCOMPARE(requests.size(), 40);
    QCOMPARE(requests.at(39).command, SetTable);
    QCOMPARE(requests.at(39).data, QByteArray::fromHex("035a0a") + pointImages(90));
}

QTEST_GUILESS_MAIN(tst_TempDrivers)
#include "tst_TempDrivers.moc"
