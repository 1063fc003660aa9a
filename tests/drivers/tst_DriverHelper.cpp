// The parameter bridge on the SSPD M1 and temperature drivers: operate sequences, names that do
// not apply, data maps and calibration constants against a scripted peer; then reads against
// the crate simulator's SSPD M1 and temperature modules.
#include "DriverHelper.h"
#include "PeerLink.h"
#include "SimulatorProcess.h"
#include "SspdDriverM0.h"
#include "SspdDriverM1.h"
#include "TempDriverM0.h"
#include "TempDriverM1.h"

#include <QElapsedTimer>
#include <QTest>

#include <limits>

namespace {
constexpr quint8 Address = 3;
constexpr quint8 GetData = 16, GetParams = 29, SetStatus = 22, SetShort = 23, SetCommutator = 25,
                 SetHighFrequency = 56;
constexpr quint8 SimSspdM1 = 3, SimTempM0 = 5, SimTempM1 = 6;
constexpr int SimulatorTimeOutMs = 1000; ///< answer time-out against the simulator
using Request = ScriptedModulePeer::Request;

QByteArray floats(std::initializer_list<float> values)
{
    QByteArray bytes;
    for (float value : values)
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    return bytes;
}

/// An SSPD M0 data record: 10 uA, 0.5 V, 500 counts, status 0x3C.
const QByteArray GoodData = floats({1e-5f, 0.5f, 500.0f}) + QByteArray::fromHex("3c000000");

/// The peer's requests with the time each arrived, ms since the recorder was made.
struct TimedRequests
{
    QElapsedTimer clock;
    QList<QPair<Request, qint64>> seen;

    explicit TimedRequests(ScriptedModulePeer &peer)
    {
        clock.start();
        peer.setResponder([this](const Request &request) {
            seen.append({request, clock.elapsed()});
            return ScriptedModulePeer::record(request.address, request.command);
        });
    }
};
} // namespace

class tst_DriverHelper : public QObject
{
    Q_OBJECT
private slots:
    void deviceTypes();
    void operateSspdM1_data();
    void operateSspdM1();
    void operateTempM0_data();
    void operateTempM0();
    void namesThatDoNotApply_data();
    void namesThatDoNotApply();
    void sspdM1DataMap();
    void tempM0DataMap();
    void repliesThatAreNoReading_data();
    void repliesThatAreNoReading();
    void eepromConstants();
    void simulatorReads();
};

void tst_DriverHelper::deviceTypes()
{
    SspdDriverM0 sspdM0;
    SspdDriverM1 sspdM1;
    TempDriverM0 tempM0;
    TempDriverM1 tempM1;
    CommonDriver other;
    QCOMPARE(DriverHelper(&sspdM0).deviceType(), int(DriverHelper::DeviceSspdM0));
    QCOMPARE(DriverHelper(&sspdM1).deviceType(), int(DriverHelper::DeviceSspdM1));
    QCOMPARE(DriverHelper(&tempM0).deviceType(), int(DriverHelper::DeviceTempM0));
    QCOMPARE(DriverHelper(&tempM1).deviceType(), int(DriverHelper::DeviceTempM1));
    QCOMPARE(DriverHelper(&other).deviceType(), int(DriverHelper::DeviceOther));
    QVERIFY(DriverHelper(&tempM1).getDeviceData(1).isEmpty());
}

void tst_DriverHelper::operateSspdM1_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<quint8>("cached");
    QTest::addColumn<quint8>("written");
    QTest::newRow("on, high-frequency mode kept") << true << quint8(0x09) << quint8(0x3F);
    QTest::newRow("on from all off") << true << quint8(0x00) << quint8(0x36);
    QTest::newRow("off, high-frequency mode kept") << false << quint8(0x3D) << quint8(0x0B);
    QTest::newRow("off keeps auto reset and error") << false << quint8(0xF4) << quint8(0xC2);
}

void tst_DriverHelper::operateSspdM1()
{
    QFETCH(bool, on);
    QFETCH(quint8, cached);
    QFETCH(quint8, written);
    PeerLink<SspdDriverM1> bench;
    QVERIFY(bench.start(Address));
    TimedRequests requests(bench.peer);
    bench.driver.status()->setCurrentValue(VT4SDM1_Status_t::fromByte(cached));

    QVERIFY(DriverHelper(&bench.driver).setParameter(QStringLiteral("operate"), on, 1));
    QCOMPARE(requests.seen.size(), on ? 2 : 1);
    QCOMPARE(requests.seen[0].first.command, SetStatus);
    QCOMPARE(requests.seen[0].first.data, QByteArray(1, char(written)));
    if (on) {
        QCOMPARE(requests.seen[1].first.command, SetShort);
        QCOMPARE(requests.seen[1].first.data, QByteArray(1, '\0'));
        // The short is released only after the switches had their time to settle.
        QVERIFY(requests.seen[1].second - requests.seen[0].second >= DriverHelper::OperateShortReleaseMs);
    }
}

void tst_DriverHelper::operateTempM0_data()
{
    QTest::addColumn<bool>("cached");
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("sent");
    QTest::newRow("already on") << true << true << false;
    QTest::newRow("already off") << false << false << false;
    QTest::newRow("switch on") << false << true << true;
    QTest::newRow("switch off") << true << false << true;
}

void tst_DriverHelper::operateTempM0()
{
    QFETCH(bool, cached);
    QFETCH(bool, on);
    QFETCH(bool, sent);
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.driver.commutator()->setCurrentValue(cached);
    QVERIFY(DriverHelper(&bench.driver).setParameter(QStringLiteral("operate"), on, 1));
    QCOMPARE(bench.peer.requests().size(), sent ? 1 : 0);
    if (sent) {
        QCOMPARE(bench.peer.requests().first().command, SetCommutator);
        QCOMPARE(bench.peer.requests().first().data, QByteArray(1, on ? '\1' : '\0'));
    }
}

void tst_DriverHelper::namesThatDoNotApply_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("command"); // -1: nothing sent
    QTest::newRow("RF key on M1") << int(DriverHelper::DeviceSspdM1) << "status_rfkey_to_cmp" << -1;
    QTest::newRow("sensor current on M1")
        << int(DriverHelper::DeviceSspdM1) << "temperature_sensor_current" << -1;
    QTest::newRow("high-frequency mode on M1")
        << int(DriverHelper::DeviceSspdM1) << "status_hfmode_on" << int(SetHighFrequency);
    QTest::newRow("current on temperature M0") << int(DriverHelper::DeviceTempM0) << "current" << -1;
    QTest::newRow("sensor current on temperature M0")
        << int(DriverHelper::DeviceTempM0) << "temperature_sensor_current" << 20;
    QTest::newRow("operate on temperature M1") << int(DriverHelper::DeviceTempM1) << "operate" << -1;
}

void tst_DriverHelper::namesThatDoNotApply()
{
    QFETCH(int, deviceType);
    QFETCH(QString, name);
    QFETCH(int, command);
    ScriptedModulePeer peer;
    QVERIFY(peer.listen());
    vtTcpSocketIOInterface link;
    link.setAddress(peer.address());
    link.setPort(peer.port());
    std::unique_ptr<CommonDriver> driver;
    if (deviceType == DriverHelper::DeviceSspdM1)
        driver = std::make_unique<SspdDriverM1>();
    else if (deviceType == DriverHelper::DeviceTempM0)
        driver = std::make_unique<TempDriverM0>();
    else
        driver = std::make_unique<TempDriverM1>();
    driver->setDevAddress(Address);
    driver->setIOInterface(&link);
    driver->setTimeOut(PeerLink<CommonDriver>::ShortTimeOutMs);
    QVERIFY(link.initialize());

    QVERIFY(DriverHelper(driver.get()).setParameter(name, true, 1));
    QCOMPARE(peer.requests().size(), command < 0 ? 0 : 1);
    if (command >= 0)
        QCOMPARE(int(peer.requests().first().command), command);
}

void tst_DriverHelper::sspdM1DataMap()
{
    PeerLink<SspdDriverM1> bench;
    QVERIFY(bench.start(Address));
    // current 1e-5, monitor 2e-5, voltage 0.5, counts 500, status 0x3C (operating, high-frequency).
    bench.peer.setAnswer(Address, GetData,
                         floats({1e-5f, 2e-5f, 0.5f, 500.0f}) + QByteArray::fromHex("3c000000"));
    bench.driver.timeConst()->setCurrentValue(0.5f);
    const auto values = DriverHelper(&bench.driver).getDeviceData(1);
    QCOMPARE(values.value("currentMonitor").toDouble(), double(2e-5f));
    QCOMPARE(values.value("cps").toDouble(), 1000.0);
    QCOMPARE(values.value("status_hfmode_on").toBool(), true);
    QCOMPARE(values.value("operate").toBool(), true);
    QCOMPARE(values.value("status_shorted").toBool(), false);
    QVERIFY(!values.contains("status_rfkey_to_cmp"));
    QCOMPARE(values.size(), 14);
    QCOMPARE(DriverHelper(&bench.driver).getCurrentParameter("voltage").toDouble(), 0.5);

    bench.peer.setResponder([](const Request &) { return QByteArray(); });
    QVERIFY(DriverHelper(&bench.driver).getDeviceData(1).isEmpty());
}

void tst_DriverHelper::repliesThatAreNoReading_data()
{
    QTest::addColumn<quint8>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<double>("timeConst"); ///< expected "time_const", or -1: no reading at all

    const QByteArray alarms = QByteArray::fromHex("07000000");
    const auto params = [&alarms](float timeConst) { return floats({0.1f, timeConst, 0.2f, 1.0f}) + alarms; };
    QTest::newRow("data two bytes short") << GetData << GoodData.left(14) << -1.0;
    QTest::newRow("data with length 0") << GetData << QByteArray() << -1.0;
    QTest::newRow("params two bytes short") << GetParams << params(0.5f).left(18) << -1.0;
    QTest::newRow("time constant NaN")
        << GetParams << params(std::numeric_limits<float>::quiet_NaN()) << -1.0;
    QTest::newRow("time constant 1e30 held to 100 s") << GetParams << params(1e30f) << 100.0;
}

void tst_DriverHelper::repliesThatAreNoReading()
{
    QFETCH(quint8, command);
    QFETCH(QByteArray, reply);
    QFETCH(double, timeConst);

    // A first good read fills the records, so that a later broken reply would leave old values
    // in place that look like fresh ones.
    PeerLink<SspdDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setAnswer(Address, GetData, GoodData);
    bench.peer.setAnswer(Address, GetParams,
                         floats({0.1f, 0.5f, 0.2f, 1.0f}) + QByteArray::fromHex("07000000"));
    QVERIFY(!DriverHelper(&bench.driver).getDeviceData(1).isEmpty());
    QVERIFY(!DriverHelper(&bench.driver).getDeviceParams(1).isEmpty());

    bench.peer.setAnswer(Address, command, reply);
    const auto values = command == GetData ? DriverHelper(&bench.driver).getDeviceData(1)
                                           : DriverHelper(&bench.driver).getDeviceParams(1);
    if (timeConst < 0)
        QVERIFY(values.isEmpty());
    else
        QCOMPARE(values.value("time_const").toDouble(), timeConst);
}

void tst_DriverHelper::tempM0DataMap()
{
    PeerLink<TempDriverM0> bench;
    QVERIFY(bench.start(Address));
    bench.peer.setAnswer(Address, GetData,
                         floats({3.0f, 0.5f, 1e-5f, 1.5f, 10.0f, -2.5f}) + QByteArray::fromHex("01000000"));
    const auto values = DriverHelper(&bench.driver).getDeviceData(1);
    const QMap<QString, QVariant> expected{
        {"operate", true},
        {"temperature", 3.0},
        {"pressure", 0.5},
        {"temperature_sensor_current", double(1e-5f)},
        {"temperature_sensor_voltage", 1.5},
        {"pressure_sensor_voltage_pos", 10.0},
        {"pressure_sensor_voltage_neg", -2.5},
    };
    QCOMPARE(values, expected);
    QVERIFY(DriverHelper(&bench.driver).getDeviceParams(1).isEmpty());
    QCOMPARE(bench.peer.requests().size(), 1);
}

void tst_DriverHelper::eepromConstants()
{
    SspdDriverM1 sspd;
    VT4SDM1_EEPROM_Const_t eeprom{};
    eeprom.currentMonitorAdcCoeff = {1.5f, 42.0f};
    eeprom.pulseWidthCoeff = 2.5f;
    eeprom.cmpReferenceCoeff = {2.0f, 0.25f};
    sspd.eepromConst()->setCurrentValue(eeprom);
    auto constants = DriverHelper(&sspd).extractEepromConst();
    QCOMPARE(constants.value("type").toInt(), 1);
    QCOMPARE(constants.value("CurrentMonitor_ADC").value<CalibrationPair>(), CalibrationPair(1.5, 42.0));
    QCOMPARE(constants.value("Cmp_Ref_DAC").value<CalibrationPair>(), CalibrationPair(2.0, 0.25));
    QCOMPARE(constants.value("PulseWidth").toDouble(), 2.5);
    QCOMPARE(constants.size(), 3 + 1 + 6);

    TempDriverM0 temp;
    VT4TDM0V1_EEPROM_Const_t tempEeprom{};
    tempEeprom.pressSensorCoeff = {3.0f, 4.0f};
    temp.eepromConst()->setCurrentValue(tempEeprom);
    temp.tempTable()[7] = {0.75f, 12.5f};
    constants = DriverHelper(&temp).extractEepromConst();
    QCOMPARE(constants.value("type").toInt(), 2);
    QCOMPARE(constants.value("pressSensorCoeffs").value<CalibrationPair>(), CalibrationPair(3.0, 4.0));
    QCOMPARE(constants.value("tempTable_7").value<CalibrationPair>(), CalibrationPair(0.75, 12.5));
    QVERIFY(constants.contains("tempTable_99"));
    QVERIFY(!constants.contains("tempTable_100") && !constants.contains("tempTable_07"));
    QCOMPARE(constants.size(), 3 + 1 + 6 + 100);

    TempDriverM1 tempM1;
    QCOMPARE(DriverHelper(&tempM1).extractEepromConst().size(), 3);
}

void tst_DriverHelper::simulatorReads()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    vtTcpSocketIOInterface link;
    link.setAddress(simulator.address());
    link.setPort(simulator.port());
    SspdDriverM1 sspd;
    TempDriverM0 tempM0;
    TempDriverM1 tempM1;
    const std::pair<CommonDriver *, quint8> drivers[] = {
        {&sspd, SimSspdM1}, {&tempM0, SimTempM0}, {&tempM1, SimTempM1}};
    for (const auto &[driver, address] : drivers) {
        driver->setDevAddress(address);
        driver->setIOInterface(&link);
        driver->setTimeOut(SimulatorTimeOutMs);
    }

    const auto sspdValues = DriverHelper(&sspd).getDeviceData(1);
    QVERIFY(sspdValues.contains("currentMonitor"));
    QVERIFY(sspdValues.contains("status_hfmode_on"));
    QVERIFY(!DriverHelper(&sspd).getDeviceParams(1).isEmpty());
    const auto sspdConstants = DriverHelper(&sspd).getEepromConst();
    QCOMPARE(sspdConstants.value("type_str").toString(), QStringLiteral("VT4SDM1"));
    QCOMPARE(sspdConstants.value("UDID").toString(), QStringLiteral("5654-5344-0101-2021-0B22-0003"));

    const auto tempValues = DriverHelper(&tempM0).getDeviceData(1);
    const double kelvin = tempValues.value("temperature").toDouble();
    QVERIFY2(kelvin > 1.0 && kelvin < 10.0, qPrintable(QString::number(kelvin)));
    QVERIFY(tempM0.receiveTempTable());
    const auto tempConstants = DriverHelper(&tempM0).getEepromConst();
    QCOMPARE(tempConstants.value("type_str").toString(), QStringLiteral("VT4TDM0"));
    QVERIFY(tempConstants.contains("tempTable_99"));

    QVERIFY(tempM1.updateTemperature());
    QVERIFY(tempM1.currentTemperature(0) > 0.0f);
    QVERIFY(tempM1.updateVoltage(2));
    QVERIFY(tempM1.readDefaultParams());
    QVERIFY(tempM1.readEepromCoeffs());
    QVERIFY(tempM1.receiveTempTables());
    bool ok = false;
    tempM1.relaysStatus()->getValueSync(&ok, 1);
    QVERIFY(ok);
}

QTEST_GUILESS_MAIN(tst_DriverHelper)
#include "tst_DriverHelper.moc"
