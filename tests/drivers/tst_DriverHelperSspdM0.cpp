#include "DriverHelper.h"
#include "SimulatorProcess.h"
#include "SspdDriverM0.h"
#include "vtTcpSocketIOInterface.h"

#include <QElapsedTimer>
#include <QTest>

namespace {
constexpr quint8 Module = 1; ///< SSPD M0 of the simulated crate
constexpr int ShortTimeOutMs = 200;
} // namespace

/// The parameter bridge on a detector module of the first modification, against the simulator:
/// the switch-on and switch-off sequences as the module receives them, and the named readings.
class tst_DriverHelperSspdM0 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void operateSwitchesShortedThenOpensTheShort();
    void operateOffLeavesTheDetectorShorted();
    void namesThatDoNotApplySendNothing();
    void readingsAsNamedValues();

private:
    QStringList requests() const { return m_simulator->lines().filter(QStringLiteral("module request")); }

    SimulatorProcess *m_simulator = nullptr;
    vtTcpSocketIOInterface *m_link = nullptr;
    SspdDriverM0 *m_driver = nullptr;
};

void tst_DriverHelperSspdM0::init()
{
    m_simulator = new SimulatorProcess({"--verbose-modules"});
    QVERIFY(m_simulator->start());
    m_link = new vtTcpSocketIOInterface;
    m_link->setAddress(m_simulator->address());
    m_link->setPort(m_simulator->port());
    m_driver = new SspdDriverM0;
    m_driver->setTimeOut(ShortTimeOutMs);
    m_driver->setDevAddress(Module);
    m_driver->setIOInterface(m_link);
    bool ok = false;
    m_driver->status()->getValueSync(&ok, 3);
    QVERIFY(ok);
    m_simulator->clearLines();
}

void tst_DriverHelperSspdM0::cleanup()
{
    delete m_driver;
    delete m_link;
    delete m_simulator;
}

void tst_DriverHelperSspdM0::operateSwitchesShortedThenOpensTheShort()
{
    // The module starts initialised and shorted (0x03).
    QCOMPARE(m_driver->status()->currentValue().toByte(), quint8(0x03));
    QElapsedTimer clock;
    clock.start();
    QVERIFY(DriverHelper(m_driver).setParameter("operate", true, 1));
    QVERIFY(clock.elapsed() >= DriverHelper::OperateShortReleaseMs);
    QTRY_COMPARE(requests(), (QStringList{"module request 1 22 3f", "module request 1 23 00"}));

    const QMap<QString, QVariant> data = DriverHelper(m_driver).getDeviceData(1);
    QCOMPARE(data.value("operate").toBool(), true);
    QCOMPARE(data.value("status_shorted").toBool(), false);
    QCOMPARE(data.value("status_rfkey_to_cmp").toBool(), true);
}

void tst_DriverHelperSspdM0::operateOffLeavesTheDetectorShorted()
{
    m_driver->status()->setValueSync(VT4SDM0_Status_t::fromByte(0x3D), nullptr, 1);
    m_driver->status()->getValueSync(nullptr, 1);
    QCOMPARE(m_driver->status()->currentValue().toByte(), quint8(0x3D));
    m_simulator->clearLines();
    QVERIFY(DriverHelper(m_driver).setParameter("operate", false, 1));
    QTRY_COMPARE(requests(), QStringList{"module request 1 22 03"});
    QTest::qWait(50);
    QCOMPARE(requests().size(), 1);
}

void tst_DriverHelperSspdM0::namesThatDoNotApplySendNothing()
{
    DriverHelper helper(m_driver);
    QVERIFY(helper.setParameter("status_hfmode_on", true, 1));
    QVERIFY(helper.setParameter("temperature_sensor_current", 1e-5, 1));
    QVERIFY(helper.setParameter("voltage", 0.1, 1));
    QVERIFY(helper.setParameter("current", 12e-6, 1));
    QTRY_COMPARE(requests().size(), 1);
    QVERIFY(requests().first().startsWith("module request 1 18 "));
    QVERIFY(!helper.getCurrentParameter("current").isValid());
}

void tst_DriverHelperSspdM0::readingsAsNamedValues()
{
    DriverHelper helper(m_driver);
    QVERIFY(helper.setParameter("time_const", 0.25, 1));
    const QMap<QString, QVariant> params = helper.getDeviceParams(1);
    QCOMPARE(params.value("time_const").toDouble(), 0.25);
    QVERIFY(params.contains("auto_reset_counts"));

    // Counts of the window the change cut short are no rate; one whole window later they are.
    QMap<QString, QVariant> data = helper.getDeviceData(1);
    QVERIFY(!data.isEmpty());
    QVERIFY(qIsNaN(data.value("cps").toDouble()));
    QTRY_VERIFY(!qIsNaN((data = helper.getDeviceData(1)).value("cps").toDouble()));
    // The rate uses the time constant the driver holds from its last read: 0.25 s.
    QCOMPARE(data.value("cps").toFloat(), data.value("counts").toFloat() / 0.25f);
    QCOMPARE(helper.getCurrentParameter("voltage").toDouble(), data.value("voltage").toDouble());

    const QMap<QString, QVariant> constants = helper.getEepromConst();
    QCOMPARE(constants.value("UDID").toString(), QStringLiteral("5654-5344-0001-2019-0A11-0001"));
    QCOMPARE(constants.value("type_str").toString(), QStringLiteral("VT4SDM0"));
    QCOMPARE(constants.value("address").toInt(), 1);
    QVERIFY(constants.value("Current_ADC").canConvert<CalibrationPair>());
}

QTEST_GUILESS_MAIN(tst_DriverHelperSspdM0)
#include "tst_DriverHelperSspdM0.moc"
