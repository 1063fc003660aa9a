// Byte images of the SSPD M1 and temperature module records and of the relay byte, checked
// against byte strings written by hand from the documented layouts.
#include "DriverValueCodec.h"
#include "VT4SDM1Records.h"
#include "VT4TDM0Records.h"
#include "VT4TDM1Records.h"

#include <QTest>
#include <cstring>

// Floats as little-endian IEEE-754 single: 1.0 0000803f, -2.5 000020c0, 250.0 00007a43,
// 0.5 0000003f, 10.0 00002041, 0.25 0000803e, 1.5 0000c03f, 42.0 00002842, 2.0 00000040,
// 0.1 cdcccc3d, 3.0 00004040, 4.0 00008040.

class tst_ModuleRecords : public QObject
{
    Q_OBJECT
private slots:
    void sspdM1Data();
    void sspdM1Eeprom();
    void sspdM1Operating_data();
    void sspdM1Operating();
    void tempM0Data_data();
    void tempM0Data();
    void tempM0Eeprom();
    void tableItem();
    void defaultParamWireImage();
    void eepromCoeff();
    void relayByte_data();
    void relayByte();
};

void tst_ModuleRecords::sspdM1Data()
{
    const QByteArray wire = QByteArray::fromHex("0000803f" // current
                                                "000020c0" // currentMonitor
                                                "0000003f" // voltage
                                                "00007a43" // counts
                                                "3c"       // status
                                                "aabbcc"); // padding
    QCOMPARE(wire.size(), 20);
    const auto record = DriverValueCodec<VT4SDM1_Data_t>::decode(wire);
    QCOMPARE(record.current, 1.0f);
    QCOMPARE(record.currentMonitor, -2.5f);
    QCOMPARE(record.voltage, 0.5f);
    QCOMPARE(record.counts, 250.0f);
    QCOMPARE(record.status.toByte(), quint8(0x3C));
    QCOMPARE(record.status.highFrequencyModeEnable, 1);
    QCOMPARE(record.status.shortEnable, 0);
}

void tst_ModuleRecords::sspdM1Eeprom()
{
    const QByteArray wire = QByteArray::fromHex("0000803f000020c0"   // currentAdcCoeff (1.0, -2.5)
                                                "00007a430000003f"   // voltageAdcCoeff (250, 0.5)
                                                "000020410000803e"   // currentDacCoeff (10, 0.25)
                                                "0000c03f00002842"   // currentMonitorAdcCoeff (1.5, 42)
                                                "0000c03f"           // pulseWidthCoeff 1.5
                                                "00000040cdcccc3d"); // cmpReferenceCoeff (2.0, 0.1)
    QCOMPARE(wire.size(), 44);
    const auto record = DriverValueCodec<VT4SDM1_EEPROM_Const_t>::decode(wire);
    QCOMPARE(record.currentAdcCoeff, (pair_t<float>{1.0f, -2.5f}));
    QCOMPARE(record.voltageAdcCoeff, (pair_t<float>{250.0f, 0.5f}));
    QCOMPARE(record.currentDacCoeff, (pair_t<float>{10.0f, 0.25f}));
    QCOMPARE(record.currentMonitorAdcCoeff, (pair_t<float>{1.5f, 42.0f}));
    QCOMPARE(record.pulseWidthCoeff, 1.5f);
    QCOMPARE(record.cmpReferenceCoeff, (pair_t<float>{2.0f, 0.1f}));
    QCOMPARE(DriverValueCodec<VT4SDM1_EEPROM_Const_t>::encode(record), wire);
}

void tst_ModuleRecords::sspdM1Operating_data()
{
    QTest::addColumn<quint8>("byte");
    QTest::addColumn<bool>("operating");
    QTest::newRow("chain on") << quint8(0x34) << true;
    QTest::newRow("chain on, high-frequency mode") << quint8(0x3C) << true;
    QTest::newRow("shorted") << quint8(0x3E) << false;
    QTest::newRow("comparator off") << quint8(0x24) << false;
    QTest::newRow("inited, auto reset, error") << quint8(0xF5) << true;
}

void tst_ModuleRecords::sspdM1Operating()
{
    QFETCH(quint8, byte);
    QFETCH(bool, operating);
    QCOMPARE(VT4SDM1_Status_t::fromByte(byte).isOperating(), operating);
}

void tst_ModuleRecords::tempM0Data_data()
{
    QTest::addColumn<QByteArray>("flagByte");
    QTest::addColumn<bool>("commutator");
    QTest::newRow("0") << QByteArray("00") << false;
    QTest::newRow("1") << QByteArray("01") << true;
    // Any non-zero byte from a module means on, and must decode to a well-formed bool.
    QTest::newRow("2") << QByteArray("02") << true;
    QTest::newRow("ff") << QByteArray("ff") << true;
}

void tst_ModuleRecords::tempM0Data()
{
    QFETCH(QByteArray, flagByte);
    QFETCH(bool, commutator);
    QByteArray wire = QByteArray::fromHex("00004040" // temperature 3.0 K
                                          "0000003f" // pressure 0.5 mbar
                                          "0000803e" // sensor current 0.25
                                          "0000c03f" // sensor voltage 1.5
                                          "00002041" // pressure P 10
                                          "000020c0" // pressure N -2.5
                                          "01"       // commutator
                                          "ffffff"); // padding
    wire[24] = char(QByteArray::fromHex(flagByte).at(0));
    QCOMPARE(wire.size(), 28);
    const auto record = DriverValueCodec<VT4TDM0V1_Data_t>::decode(wire);
    QCOMPARE(record.temperature, 3.0f);
    QCOMPARE(record.pressure, 0.5f);
    QCOMPARE(record.tempSensorCurrent, 0.25f);
    QCOMPARE(record.tempSensorVoltage, 1.5f);
    QCOMPARE(record.pressSensorVoltageP, 10.0f);
    QCOMPARE(record.pressSensorVoltageN, -2.5f);
    QCOMPARE(record.commutator, commutator);
    unsigned char stored = 0xAA;
    std::memcpy(&stored, &record.commutator, 1);
    QCOMPARE(int(stored), commutator ? 1 : 0);
}

void tst_ModuleRecords::tempM0Eeprom()
{
    const QByteArray wire = QByteArray::fromHex("0000803f000020c0"   // tempSensorCurrentAdc
                                                "00007a430000003f"   // tempSensorCurrentDac
                                                "000020410000803e"   // tempSensorVoltage
                                                "0000c03f00002842"   // pressSensorVoltageP
                                                "00000040cdcccc3d"   // pressSensorVoltageN
                                                "0000404000008040"); // pressSensorCoeff
    const auto record = DriverValueCodec<VT4TDM0V1_EEPROM_Const_t>::decode(wire);
    QCOMPARE(record.tempSensorCurrentAdcCoeff, (pair_t<float>{1.0f, -2.5f}));
    QCOMPARE(record.tempSensorCurrentDacCoeff, (pair_t<float>{250.0f, 0.5f}));
    QCOMPARE(record.tempSensorVoltageCoeff, (pair_t<float>{10.0f, 0.25f}));
    QCOMPARE(record.pressSensorVoltagePCoeff, (pair_t<float>{1.5f, 42.0f}));
    QCOMPARE(record.pressSensorVoltageNCoeff, (pair_t<float>{2.0f, 0.1f}));
    QCOMPARE(record.pressSensorCoeff, (pair_t<float>{3.0f, 4.0f}));
    QCOMPARE(DriverValueCodec<VT4TDM0V1_EEPROM_Const_t>::encode(record), wire);
}

void tst_ModuleRecords::tableItem()
{
    const VT4TDM0V1_Temp_Table_Item_t item{1.5f, 4.0f};
    QCOMPARE(DriverValueCodec<VT4TDM0V1_Temp_Table_Item_t>::encode(item),
             QByteArray::fromHex("0000c03f00008040"));
}

void tst_ModuleRecords::defaultParamWireImage()
{
    QByteArray wire;
    DefaultParam{true, 1.5f}.appendWireImage(wire);
    DefaultParam{false, -2.5f}.appendWireImage(wire);
    QCOMPARE(wire, QByteArray::fromHex("010000c03f"
                                       "00000020c0"));
    const DefaultParam read = DefaultParam::fromWireImage(QByteArray::fromHex("070000803f").constData());
    QCOMPARE(read.flag, true);
    QCOMPARE(read.value, 1.0f);
}

void tst_ModuleRecords::eepromCoeff()
{
    const QByteArray wire = QByteArray::fromHex("0000803f000020c0"
                                                "00000040cdcccc3d");
    const auto coeff = DriverValueCodec<TDM1_EepromCoeff>::decode(wire);
    QCOMPARE(coeff.first, (pair_t<float>{1.0f, -2.5f}));
    QCOMPARE(coeff.second, (pair_t<float>{2.0f, 0.1f}));
    QCOMPARE(DriverValueCodec<cmd::enum_VT4TDM1_SwitcherMode>::encode(cmd::enum_VT4TDM1_SwitcherMode(2)),
             QByteArray::fromHex("02000000"));
}

void tst_ModuleRecords::relayByte_data()
{
    QTest::addColumn<quint8>("before");
    QTest::addColumn<int>("relay");
    QTest::addColumn<bool>("on");
    QTest::addColumn<quint8>("after");
    QTest::newRow("relay 1 on") << quint8(0x00) << 1 << true << quint8(0x11);
    QTest::newRow("relay 2 off keeps relay 1") << quint8(0x03) << 2 << false << quint8(0x21);
    QTest::newRow("relay 4 on") << quint8(0x00) << 4 << true << quint8(0x88);
    QTest::newRow("relay 0 ignored") << quint8(0x05) << 0 << true << quint8(0x05);
    QTest::newRow("relay 5 ignored") << quint8(0x05) << 5 << false << quint8(0x05);
}

void tst_ModuleRecords::relayByte()
{
    QFETCH(quint8, before);
    QFETCH(int, relay);
    QFETCH(bool, on);
    QFETCH(quint8, after);
    cRelaysStatus status;
    status = before;
    QCOMPARE(status.setValue(static_cast<unsigned char>(relay), on), after);
    QCOMPARE(DriverValueCodec<cRelaysStatus>::encode(status), QByteArray(1, char(after)));
    status.clearMask();
    QCOMPARE(status.status(), quint8(after & 0x0F));
    QCOMPARE(cRelaysStatus(cRelaysStatus::RelayIndex2, cRelaysStatus::RelayIndex2).status(), quint8(0x22));
}

QTEST_GUILESS_MAIN(tst_ModuleRecords)
#include "tst_ModuleRecords.moc"
