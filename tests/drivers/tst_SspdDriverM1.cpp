// The SSPD M1 driver: where it differs from M0 (current monitor, acknowledged current write,
// high-frequency switch, larger calibration record), against a scripted peer.
#include "PeerLink.h"
#include "SspdDriverM1.h"

#include <QSignalSpy>
#include <QTest>

namespace {
constexpr quint8 Address = 3;
constexpr quint8 GetData = 16, SetCurrent = 18, GetCurrentMonitor = 53, SetHighFrequency = 56, GetEeprom = 41,
                 GetPulseWidth = 58;
// current 1.0, monitor -2.5, voltage 0.5, counts 250, status 0x3D, padding.
const QByteArray DataImage = QByteArray::fromHex("0000803f000020c00000003f00007a433deeeeee");
} // namespace

class tst_SspdDriverM1 : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void propertiesInTableOrder();
    void dataReadFansOut();
    void currentWriteRepublishesAtOnce();
    void highFrequencySwitchKeepsOperating();
    void eepromReadFansOut();

private:
    std::unique_ptr<PeerLink<SspdDriverM1>> m_bench;
};

void tst_SspdDriverM1::init()
{
    m_bench = std::make_unique<PeerLink<SspdDriverM1>>();
    QVERIFY(m_bench->start(Address));
}

void tst_SspdDriverM1::propertiesInTableOrder()
{
    QList<QPair<int, int>> codes;
    const auto properties = m_bench->driver.properties();
    for (qsizetype i = 11; i < properties.size(); ++i) // after the common driver's eleven
        codes << qMakePair(int(properties[i]->cmdGetter()), int(properties[i]->cmdSetter()));
    const QList<QPair<int, int>> expected{
        {16, 255}, {17, 18},  {53, 255}, {19, 255}, {20, 255}, {21, 22}, {255, 23}, {255, 24}, {255, 56},
        {255, 26}, {255, 27}, {255, 28}, {29, 30},  {31, 32},  {33, 34}, {35, 36},  {37, 38},  {39, 40},
        {41, 42},  {43, 44},  {54, 55},  {45, 46},  {47, 48},  {49, 50}, {58, 57},  {51, 52}};
    QCOMPARE(codes, expected);
}

void tst_SspdDriverM1::dataReadFansOut()
{
    m_bench->peer.setAnswer(Address, GetData, DataImage);
    QSignalSpy updated(&m_bench->driver, &SspdDriverM1::dataUpdated);
    bool ok = false;
    m_bench->driver.data()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.current()->currentValue(), 1.0f);
    QCOMPARE(m_bench->driver.currentMonitor()->currentValue(), -2.5f);
    QCOMPARE(m_bench->driver.voltage()->currentValue(), 0.5f);
    QCOMPARE(m_bench->driver.counts()->currentValue(), 250.0f);
    QCOMPARE(m_bench->driver.status()->currentValue().toByte(), quint8(0x3D));
    QCOMPARE(updated.size(), 1);

    // A single monitor read lands in the record's own field.
    m_bench->peer.setAnswer(Address, GetCurrentMonitor, QByteArray::fromHex("00002041")); // 10.0
    m_bench->driver.currentMonitor()->getValueSync(&ok, 1);
    QCOMPARE(m_bench->driver.data()->currentValue().currentMonitor, 10.0f);
    QCOMPARE(m_bench->driver.data()->currentValue().current, 1.0f);
    QCOMPARE(updated.size(), 2);
}

void tst_SspdDriverM1::currentWriteRepublishesAtOnce()
{
    QSignalSpy updated(&m_bench->driver, &SspdDriverM1::dataUpdated);
    bool ok = false;
    m_bench->driver.current()->setValueSync(2.0e-5f, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().value(0).command, SetCurrent);
    QCOMPARE(updated.size(), 1);
    QCOMPARE(updated.first().first().value<VT4SDM1_Data_t>().current, 2.0e-5f);
    QCOMPARE(m_bench->driver.data()->currentValue().current, 2.0e-5f);

    // Unacknowledged, it changes nothing.
    m_bench->peer.setResponder([](const ScriptedModulePeer::Request &) { return QByteArray(); });
    m_bench->driver.current()->setValueSync(3.0e-5f, &ok, 1);
    QVERIFY(!ok);
    QCOMPARE(m_bench->driver.data()->currentValue().current, 2.0e-5f);
}

void tst_SspdDriverM1::highFrequencySwitchKeepsOperating()
{
    m_bench->driver.status()->setCurrentValue(VT4SDM1_Status_t::fromByte(0x34));
    QSignalSpy updated(&m_bench->driver, &SspdDriverM1::dataUpdated);
    bool ok = false;
    m_bench->driver.highFrequencyModeEnable()->setValueSync(true, &ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->peer.requests().value(0).command, SetHighFrequency);
    QCOMPARE(updated.size(), 1);
    const VT4SDM1_Status_t published = updated.first().first().value<VT4SDM1_Data_t>().status;
    QCOMPARE(published.toByte(), quint8(0x3C));
    QVERIFY(published.isOperating());
    QCOMPARE(m_bench->driver.status()->currentValue().toByte(), quint8(0x34));
}

void tst_SspdDriverM1::eepromReadFansOut()
{
    // Pairs (1, -2.5), (250, 0.5), (10, 0.25), monitor (1.5, 42), pulse width 1.5, comparator (2.0, 0.1).
    m_bench->peer.setAnswer(Address, GetEeprom,
                            QByteArray::fromHex("0000803f000020c000007a430000003f000020410000803e"
                                                "0000c03f000028420000c03f00000040cdcccc3d"));
    QSignalSpy updated(&m_bench->driver, &SspdDriverM1::eepromConstUpdated);
    bool ok = false;
    m_bench->driver.eepromConst()->getValueSync(&ok, 1);
    QVERIFY(ok);
    QCOMPARE(m_bench->driver.pulseWidthCoeff()->currentValue(), 1.5f);
    QCOMPARE(m_bench->driver.cmpReferenceCoeff()->currentValue(), (pair_t<float>{2.0f, 0.1f}));
    QCOMPARE(m_bench->driver.currentMonitorAdcCoeff()->currentValue(), (pair_t<float>{1.5f, 42.0f}));
    QCOMPARE(m_bench->driver.voltageAdcCoeff()->currentValue(), (pair_t<float>{250.0f, 0.5f}));
    QCOMPARE(updated.size(), 1);

    m_bench->peer.setAnswer(Address, GetPulseWidth, QByteArray::fromHex("00004040")); // 3.0
    m_bench->driver.pulseWidthCoeff()->getValueSync(&ok, 1);
    QCOMPARE(m_bench->driver.eepromConst()->currentValue().pulseWidthCoeff, 3.0f);
    QCOMPARE(m_bench->driver.eepromConst()->currentValue().cmpReferenceCoeff, (pair_t<float>{2.0f, 0.1f}));
    QCOMPARE(updated.size(), 2);
}

QTEST_GUILESS_MAIN(tst_SspdDriverM1)
#include "tst_SspdDriverM1.moc"
