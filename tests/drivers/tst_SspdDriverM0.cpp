// The SSPD M0 driver: record and field coherence against a scripted peer, then end to end
// against the crate simulator's SSPD M0 modules.
#include "PeerLink.h"
#include "SimulatorProcess.h"
#include "SspdDriverM0.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint8 Address = 1; // an SSPD M0 module in the simulator's built-in crate
constexpr quint8 OtherSspdAddress = 2;
constexpr quint8 GetData = 16, GetStatus = 21, SetStatus = 22, GetParams = 29, GetTimeConst = 33,
                 SetTimeConst = 34;
constexpr quint8 GetEeprom = 41, GetCurrentDacCoeff = 47;
constexpr int SilentTimeOutMs = 50;
constexpr int SilentAttempts = 2;
// current 1.0e-5 A, voltage 0.012 V, counts 250, status 0x3D, three padding bytes.
const QByteArray DataImage = QByteArray::fromHex("acc52737a69b443c00007a433d"
                                                 "eeeeee");
} // namespace

class tst_SspdDriverM0 : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void propertiesInTableOrder();
    void dataReadFansOut();
    void switchAcknowledgementRepublishesStatus_data();
    void switchAcknowledgementRepublishesStatus();
    void statusWriteAndReadUpdateData();
    void setPointReachesRecordOnlyWhenReadBack();
    void paramsReadFansOut();
    void eepromReadFansOut();
    void simulatorRoundTrip();
    void simulatorSilentModule();

private:
    std::unique_ptr<PeerLink<SspdDriverM0>> m_bench;
};

void tst_SspdDriverM0::init()
{
    m_bench = std::make_unique<PeerLink<SspdDriverM0>>();
    QVERIFY(m_bench->start(Address));
}

void tst_SspdDriverM0::propertiesInTableOrder()
{
    QList<QPair<int, int>> codes;
    const auto properties = m_bench->driver.properties();
    for (qsizetype i = 11; i < properties.size(); ++i) // after the common driver's eleven
        codes << qMakePair(int(properties[i]->cmdGetter()), int(properties[i]->cmdSetter()));
    const QList<QPair<int, int>> expected{{16, 255}, {17, 18},  {19, 255}, {20, 255}, {21, 22},  {255, 23},
                                          {255, 24}, {255, 25}, {255, 26}, {255, 27}, {255, 28}, {29, 30},
                                          {31, 32},  {33, 34},  {35, 36},  {37, 38},  {39, 40},  {41, 42},
                                          {43, 44},  {45, 46},  {47, 48},  {49, 50},  {51, 52}};
    QCOMPARE(codes, expected);
}

void tst_SspdDriverM0::dataReadFansOut()
{
    m_bench->peer.setAnswer(Address, GetData, DataImage);
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::dataUpdated);
    bool ok = false;
    const VT4SDM0V1_Data_t record = m_bench->driver.data()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.current()->currentValue(), 1.0e-5f);
    QCOMPARE(m_bench->driver.voltage()->currentValue(), 0.012f);
    QCOMPARE(m_bench->driver.counts()->currentValue(), 250.0f);
    QCOMPARE(m_bench->driver.status()->currentValue().toByte(), quint8(0x3D));
    QCOMPARE(updated.size(), 1);
    const auto published = updated.first().first().value<VT4SDM0V1_Data_t>();
    QCOMPARE(published.current, record.current);
    QCOMPARE(published.voltage, 0.012f);
    QCOMPARE(published.counts, 250.0f);
    QCOMPARE(published.status.toByte(), quint8(0x3D));
}

void tst_SspdDriverM0::switchAcknowledgementRepublishesStatus_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("on");
    QTest::addColumn<quint8>("published");
    // Cached status 0x03 (inited, shorted) in every row.
    QTest::newRow("amplifier on") << 24 << true << quint8(0x07);
    QTest::newRow("short off") << 23 << false << quint8(0x01);
    QTest::newRow("rf key on") << 25 << true << quint8(0x0B);
    QTest::newRow("comparator on") << 26 << true << quint8(0x13);
    QTest::newRow("counter on") << 27 << true << quint8(0x23);
    QTest::newRow("auto reset on") << 28 << true << quint8(0x43);
}

void tst_SspdDriverM0::switchAcknowledgementRepublishesStatus()
{
    QFETCH(int, code);
    QFETCH(bool, on);
    QFETCH(quint8, published);
    DriverPropertyWriteOnly<bool> *const switches[] = {
        m_bench->driver.shortEnable(),   m_bench->driver.amplifierEnable(),
        m_bench->driver.rfKeyEnable(),   m_bench->driver.cmpLatchEnable(),
        m_bench->driver.counterEnable(), m_bench->driver.autoResetEnable()};
    const auto cached = VT4SDM0_Status_t::fromByte(0x03);
    m_bench->driver.status()->setCurrentValue(cached);
    VT4SDM0V1_Data_t data{};
    data.status = cached;
    m_bench->driver.data()->setCurrentValue(data);
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::dataUpdated);

    bool ok = false;
    switches[code - 23]->setValueSync(on, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().value(0).command, quint8(code));
    QCOMPARE(m_bench->peer.requests().value(0).data, QByteArray(1, on ? '\1' : '\0'));
    QCOMPARE(updated.size(), 1);
    QCOMPARE(updated.first().first().value<VT4SDM0V1_Data_t>().status.toByte(), published);
    QCOMPARE(m_bench->driver.data()->currentValue().status.toByte(), published);
    QCOMPARE(m_bench->driver.status()->currentValue(), cached);
}

void tst_SspdDriverM0::statusWriteAndReadUpdateData()
{
    bool ok = false;
    m_bench->driver.status()->setValueSync(VT4SDM0_Status_t::fromByte(0x3C), &ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().value(0).command, SetStatus);
    QCOMPARE(m_bench->driver.data()->currentValue().status.toByte(), quint8(0x3C));
    QCOMPARE(m_bench->driver.status()->currentValue().toByte(), quint8(0x00));

    m_bench->peer.setAnswer(Address, GetStatus, QByteArray::fromHex("bd"));
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::dataUpdated);
    QCOMPARE(m_bench->driver.status()->getValueSync(&ok, 1).toByte(), quint8(0xBD));
    QCOMPARE(updated.size(), 1);
    QCOMPARE(m_bench->driver.data()->currentValue().status.toByte(), quint8(0xBD));
}

void tst_SspdDriverM0::setPointReachesRecordOnlyWhenReadBack()
{
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::paramsUpdated);
    bool ok = false;
    m_bench->driver.timeConst()->setValueSync(2.0f, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().value(0).command, SetTimeConst);
    QCOMPARE(updated.size(), 0);
    QCOMPARE(m_bench->driver.params()->currentValue().timeConst, 0.0f);

    m_bench->peer.setAnswer(Address, GetTimeConst, QByteArray::fromHex("00000040")); // 2.0
    m_bench->driver.timeConst()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(updated.first().first().value<VT4SDM0V1_Param_t>().timeConst, 2.0f);
    QCOMPARE(m_bench->driver.params()->currentValue().timeConst, 2.0f);
}

void tst_SspdDriverM0::paramsReadFansOut()
{
    // 0.5 V, 10 s, 0.25 V, 1.5 s, 42 events
    m_bench->peer.setAnswer(Address, GetParams,
                            QByteArray::fromHex("0000003f000020410000803e0000c03f2a000000"));
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::paramsUpdated);
    bool ok = false;
    m_bench->driver.params()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.cmpReferenceLevel()->currentValue(), 0.5f);
    QCOMPARE(m_bench->driver.timeConst()->currentValue(), 10.0f);
    QCOMPARE(m_bench->driver.autoResetThreshold()->currentValue(), 0.25f);
    QCOMPARE(m_bench->driver.autoResetTimeOut()->currentValue(), 1.5f);
    QCOMPARE(m_bench->driver.autoResetAlarmsCounts()->currentValue(), 42u);
    QCOMPARE(updated.size(), 1);
}

void tst_SspdDriverM0::eepromReadFansOut()
{
    // (1, -2.5) (250, 0.5) (10, 0.25) (1.5, 42)
    m_bench->peer.setAnswer(
        Address, GetEeprom,
        QByteArray::fromHex("0000803f000020c000007a430000003f000020410000803e0000c03f00002842"));
    m_bench->peer.setAnswer(Address, GetCurrentDacCoeff,
                            QByteArray::fromHex("0000803e0000803f")); // (0.25, 1)
    QSignalSpy updated(&m_bench->driver, &SspdDriverM0::eepromConstUpdated);
    bool ok = false;
    m_bench->driver.eepromConst()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.currentAdcCoeff()->currentValue(), (pair_t<float>{1.0f, -2.5f}));
    QCOMPARE(m_bench->driver.voltageAdcCoeff()->currentValue(), (pair_t<float>{250.0f, 0.5f}));
    QCOMPARE(m_bench->driver.currentDacCoeff()->currentValue(), (pair_t<float>{10.0f, 0.25f}));
    QCOMPARE(m_bench->driver.cmpReferenceCoeff()->currentValue(), (pair_t<float>{1.5f, 42.0f}));

    m_bench->driver.currentDacCoeff()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(updated.size(), 2);
    const auto record = m_bench->driver.eepromConst()->currentValue();
    QCOMPARE(record.currentDacCoeff, (pair_t<float>{0.25f, 1.0f}));
    QCOMPARE(record.currentAdcCoeff, (pair_t<float>{1.0f, -2.5f}));
}

void tst_SspdDriverM0::simulatorRoundTrip()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    vtTcpSocketIOInterface link;
    link.setAddress(simulator.address());
    link.setPort(simulator.port());
    SspdDriverM0 driver;
    driver.setDevAddress(Address);
    driver.setIOInterface(&link);

    QVERIFY(driver.getDeviceInfo());
    QCOMPARE(driver.deviceType()->currentValue(), QStringLiteral("VT4SDM0"));
    QCOMPARE(driver.UDID()->currentValue().toDisplayString(),
             QStringLiteral("5654-5344-0001-2019-0A11-0001"));

    bool ok = false;
    driver.timeConst()->setValueSync(0.5f, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(driver.timeConst()->getValueSync(&ok, 1), 0.5f);
    QVERIFY(ok);
    QCOMPARE(driver.params()->currentValue().timeConst, 0.5f);

    driver.amplifierEnable()->setValueSync(true, &ok, 1);
    QVERIFY(ok);
    const VT4SDM0V1_Data_t data = driver.data()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(data.status.amplifierEnable, 1);
    QCOMPARE(driver.status()->currentValue(), data.status);

    const pair_t<float> slope{2.0f, 0.125f};
    driver.cmpReferenceCoeff()->setValueSync(slope, &ok, 1);
    QVERIFY(ok);
    driver.eepromConst()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(driver.cmpReferenceCoeff()->currentValue(), slope);
}

void tst_SspdDriverM0::simulatorSilentModule()
{
    SimulatorProcess simulator({QStringLiteral("--silent"), QString::number(Address)});
    QVERIFY(simulator.start());
    vtTcpSocketIOInterface link;
    link.setAddress(simulator.address());
    link.setPort(simulator.port());
    SspdDriverM0 silent, answering;
    for (SspdDriverM0 *driver : {&silent, &answering}) {
        driver->setIOInterface(&link);
        driver->setTimeOut(SilentTimeOutMs);
    }
    silent.setDevAddress(Address);
    answering.setDevAddress(OtherSspdAddress);

    bool ok = true;
    silent.data()->getValueSync(&ok, SilentAttempts);
    QVERIFY(!ok);
    QVERIFY(!silent.getDeviceInfo());
    QCOMPARE(silent.deviceType()->currentValue(), QString());
    // The other module on the same link is still served.
    QCOMPARE(answering.deviceType()->getValueSync(&ok, 1), QStringLiteral("VT4SDM0"));
    QVERIFY(ok);
}

QTEST_GUILESS_MAIN(tst_SspdDriverM0)
#include "tst_SspdDriverM0.moc"
