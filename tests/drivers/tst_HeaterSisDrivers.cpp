// The heater, SIS bias-source and SIS control-line drivers: their record layouts against hand-
// written byte strings, and their records and set points against the simulator's modules.
#include "DriverValueCodec.h"
#include "HeaterDriverM0.h"
#include "SimulatorCrate.h"
#include "SisBiasSourceDriverM0.h"
#include "SisControlLineDriverM0.h"

#include <QSignalSpy>
#include <QTest>

// Floats as little-endian IEEE-754 single: 0.25 0000803e, 1.0 0000803f, 2.0 00000040,
// 3.0 00004040, 4.0 00008040, -2.5 000020c0, 0.5 0000003f, 10.0 00002041.

namespace {
constexpr quint8 HeaterAddress = 7;
constexpr quint8 BiasAddress = 8;
constexpr quint8 LineAddress = 9;
constexpr int Attempts = 3;
constexpr float GapVolts = 2.8e-3f;
} // namespace

class tst_HeaterSisDrivers : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void recordImages();
    void heaterRecordsAndPulse();
    void biasSourceCurveAndSweep();
    void controlLine();
    void setPointsOutsideLimitsAreNotSent();

private:
    SimulatorCrate m_crate;
    HeaterDriverM0 m_heater;
    SisBiasSourceDriverM0 m_bias;
    SisControlLineDriverM0 m_line;
};

void tst_HeaterSisDrivers::initTestCase()
{
    QVERIFY(m_crate.start({SimulatorCrate::module(HeaterAddress, "VT4HTM0"),
                           SimulatorCrate::module(BiasAddress, "VT4BSM0"),
                           SimulatorCrate::module(LineAddress, "VT4CLM0")}));
    m_crate.attach(&m_heater, HeaterAddress);
    m_crate.attach(&m_bias, BiasAddress);
    m_crate.attach(&m_line, LineAddress);
}

void tst_HeaterSisDrivers::recordImages()
{
    const auto heater = DriverValueCodec<VT4HTM0V0_Data_t>::decode(QByteArray::fromHex("0102aabb0000803e"));
    QCOMPARE(int(heater.relayStatus), 1);
    QCOMPARE(int(heater.mode), 2);
    QCOMPARE(heater.current, 0.25f);

    // A flag byte other than 0 or 1 reads as set.
    const auto bias = DriverValueCodec<VT4BSM0_Data_t>::decode(QByteArray::fromHex("0000803f000020c0"
                                                                                   "02"
                                                                                   "01"
                                                                                   "0000"));
    QCOMPARE(bias.current, 1.0f);
    QCOMPARE(bias.voltage, -2.5f);
    QVERIFY(bias.shortEnable);
    QCOMPARE(int(bias.mode), 1);
    const auto line = DriverValueCodec<VT4CLM0V0_Data_t>::decode(QByteArray::fromHex("0000003f"
                                                                                     "ff"
                                                                                     "000000"));
    QCOMPARE(line.current, 0.5f);
    QVERIFY(line.shortEnable);
    QVERIFY(!DriverValueCodec<VT4CLM0V0_Data_t>::decode(QByteArray::fromHex("0000003f"
                                                                            "00"
                                                                            "000000"))
                 .shortEnable);

    VT4BSM0V0_EEPROM_Const_t eeprom{};
    eeprom.voltageLimits = {1.0f, 2.0f};
    eeprom.currentStep = 3.0f;
    eeprom.currentMonitorResistance = 10.0f;
    const QByteArray image = DriverValueCodec<VT4BSM0V0_EEPROM_Const_t>::encode(eeprom);
    QCOMPARE(image.mid(40, 8), QByteArray::fromHex("0000803f00000040"));
    QCOMPARE(image.mid(48, 4), QByteArray::fromHex("00004040"));
    QCOMPARE(image.mid(56, 4), QByteArray::fromHex("00002041"));

    VT4HT0V0_EEPROM_Const_t shape{};
    shape.holdTime = 4.0f;
    QCOMPARE(DriverValueCodec<VT4HT0V0_EEPROM_Const_t>::encode(shape).mid(24, 4),
             QByteArray::fromHex("00008040"));
}

void tst_HeaterSisDrivers::heaterRecordsAndPulse()
{
    QSignalSpy eeprom(&m_heater, &HeaterDriverM0::eepromConstUpdated);
    bool ok = false;
    m_heater.holdTime()->setValueSync(0.6f, &ok, Attempts);
    m_heater.holdTime()->getValueSync(&ok, Attempts);
    QVERIFY(ok);
    QCOMPARE(eeprom.size(), 1);
    QCOMPARE(m_heater.eepromConst()->currentValue().holdTime, 0.6f);

    const VT4HT0V0_EEPROM_Const_t record = m_heater.eepromConst()->getValueSync(&ok, Attempts);
    QVERIFY(ok);
    QCOMPARE(m_heater.maximumCurrent()->currentValue(), record.maximumCurrent);
    QVERIFY(record.maximumCurrent > 0.0f);
    m_heater.frontEdgeTime()->setValueSync(0.2f, &ok, Attempts);
    m_heater.rearEdgeTime()->setValueSync(0.2f, &ok, Attempts);

    QSignalSpy data(&m_heater, &HeaterDriverM0::dataUpdated);
    QVERIFY(m_heater.setCurrentWithinLimits(record.maximumCurrent / 2, Attempts));
    m_heater.relayStatus()->setValueSync(1, &ok, Attempts);
    m_heater.data()->getValueSync(&ok, Attempts);
    QVERIFY(ok);
    QCOMPARE(data.size(), 1);
    QCOMPARE(m_heater.current()->currentValue(), record.maximumCurrent / 2);
    QCOMPARE(int(m_heater.relayStatus()->currentValue()), 1);
    QCOMPARE(int(m_heater.mode()->currentValue()), 0);

    // Pulse mode: up over the front edge, held at the maximum, down to zero after the rear edge.
    m_heater.mode()->setValueSync(1, &ok, Attempts);
    m_heater.startHeating()->executeSync(&ok, Attempts);
    QVERIFY(ok);
    float highest = 0.0f;
    QTRY_VERIFY_WITH_TIMEOUT((highest = std::max(highest, m_heater.current()->getValueSync(&ok, Attempts))) ==
                                 record.maximumCurrent,
                             3000);
    QTRY_COMPARE_WITH_TIMEOUT(m_heater.current()->getValueSync(&ok, Attempts), 0.0f, 3000);

    m_heater.startHeating()->executeSync(&ok, Attempts);
    QTRY_VERIFY_WITH_TIMEOUT(m_heater.current()->getValueSync(&ok, Attempts) > 0.0f, 3000);
    m_heater.emergencyStop()->executeSync(&ok, Attempts);
    QCOMPARE(m_heater.current()->getValueSync(&ok, Attempts), 0.0f);
}

void tst_HeaterSisDrivers::biasSourceCurveAndSweep()
{
    bool ok = false;
    QSignalSpy eeprom(&m_bias, &SisBiasSourceDriverM0::eepromConstUpdated);
    const pair_t<float> limits = m_bias.voltageLimits()->getValueSync(&ok, Attempts);
    QVERIFY(ok);
    QCOMPARE(eeprom.size(), 1);
    QCOMPARE(m_bias.eepromConst()->currentValue().voltageLimits, limits);
    m_bias.shortEnable()->setValueSync(false, &ok, Attempts);

    // Voltage bias: sub-gap leakage below 2.8 mV, the normal-state branch above it.
    const auto currentAt = [this, &ok](float volts) {
        m_bias.setVoltageWithinLimits(volts, Attempts);
        m_bias.data()->getValueSync(&ok, Attempts);
        return m_bias.current()->currentValue();
    };
    const float leakage = currentAt(1.5e-3f);
    const float normal = currentAt(6e-3f);
    QVERIFY2(leakage > 0.0f && leakage < 5e-6f, qPrintable(QString::number(leakage)));
    const double normalResistance = 6e-3 / normal;
    QVERIFY2(normalResistance > 10.0 && normalResistance < 40.0,
             qPrintable(QString::number(normalResistance)));
    QVERIFY(currentAt(-6e-3f) == -normal);

    // Current bias: the voltage sits at the gap over a wide range of currents.
    m_bias.mode()->setValueSync(VT4BSM0_ModeCurrentBias, &ok, Attempts);
    QVERIFY(m_bias.setCurrentWithinLimits(50e-6f, Attempts));
    const float atGap = m_bias.voltage()->getValueSync(&ok, Attempts);
    QVERIFY2(qAbs(atGap - GapVolts) < 0.2e-3f, qPrintable(QString::number(atGap)));

    // The module's own sweep runs to its last point and stays there.
    VT4BSM0_SWEEP_PARAMS_t sweep{};
    sweep.start = 0.0f;
    sweep.stop = 4e-3f;
    sweep.step = 1e-3f;
    sweep.dwell = 0.05f;
    sweep.mode = VT4BSM0_ModeVoltageBias;
    QVERIFY(m_bias.setSweepParamsWithinLimits(sweep, Attempts));
    m_bias.sweepStart()->executeSync(&ok, Attempts);
    QVERIFY(ok);
    QTRY_COMPARE_WITH_TIMEOUT(m_bias.data()->getValueSync(&ok, Attempts).voltage, 4e-3f, 3000);
    QCOMPARE(int(m_bias.mode()->currentValue()), int(VT4BSM0_ModeVoltageBias));
    QVERIFY(m_bias.current()->currentValue() > 1e-4f);
}

void tst_HeaterSisDrivers::controlLine()
{
    bool ok = false;
    m_line.data()->getValueSync(&ok, Attempts);
    QVERIFY(ok);
    QVERIFY(m_line.shortEnable()->currentValue()); // shorted at power-on
    QVERIFY(m_line.setCurrentWithinLimits(0.01f, Attempts));
    m_line.shortEnable()->setValueSync(false, &ok, Attempts);
    QCOMPARE(m_line.data()->getValueSync(&ok, Attempts).current, 0.01f);
    QCOMPARE(m_line.current()->currentValue(), 0.01f);
    m_line.pidEnable()->setValueSync(true, &ok, Attempts);
    QVERIFY(m_line.pidEnable()->getValueSync(&ok, Attempts));
}

void tst_HeaterSisDrivers::setPointsOutsideLimitsAreNotSent()
{
    QVERIFY(m_heater.setCurrentWithinLimits(0.0f, Attempts));
    QVERIFY(m_bias.setVoltageWithinLimits(1e-3f, Attempts));
    QVERIFY(m_bias.setCurrentWithinLimits(1e-5f, Attempts));
    QVERIFY(m_line.setCurrentWithinLimits(0.0f, Attempts));

    const float maximum = m_heater.maximumCurrent()->currentValue();
    QVERIFY(!m_heater.setCurrentWithinLimits(maximum * 1.01f, Attempts));
    QVERIFY(!m_heater.setCurrentWithinLimits(-1e-3f, Attempts));
    QVERIFY(!m_heater.setCurrentWithinLimits(qQNaN(), Attempts));
    QVERIFY(!m_bias.setVoltageWithinLimits(0.5f, Attempts));
    QVERIFY(!m_bias.setCurrentWithinLimits(-1.0f, Attempts));
    QVERIFY(!m_line.setCurrentWithinLimits(1.0f, Attempts));
    VT4BSM0_SWEEP_PARAMS_t sweep{0.0f, 0.5f, 1e-3f, 0.1f, VT4BSM0_ModeVoltageBias, {}};
    QVERIFY(!m_bias.setSweepParamsWithinLimits(sweep, Attempts));

    // Nothing of the refused values went out: the last values sent are the accepted ones.
    QCOMPARE(m_heater.current()->lastSettedValue(), 0.0f);
    QCOMPARE(m_bias.voltage()->lastSettedValue(), 1e-3f);
    QCOMPARE(m_bias.current()->lastSettedValue(), 1e-5f);
    QCOMPARE(m_line.current()->lastSettedValue(), 0.0f);
    QVERIFY(m_bias.sweepParams()->lastSettedValue().stop != 0.5f);
}

QTEST_GUILESS_MAIN(tst_HeaterSisDrivers)
#include "tst_HeaterSisDrivers.moc"
