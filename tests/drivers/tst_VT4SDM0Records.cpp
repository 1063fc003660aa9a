// Byte images of the SSPD M0 records and of the other values that travel by their memory image,
// checked against byte strings written by hand from the documented layouts.
#include "DriverValueCodec.h"
#include "VT4SDM0Records.h"
#include "cUDID.h"

#include <QTest>

class tst_VT4SDM0Records : public QObject
{
    Q_OBJECT
private slots:
    void dataRecord();
    void paramRecord();
    void eepromRecord();
    void statusBits_data();
    void statusBits();
    void operating_data();
    void operating();
    void shortImagesDecodeAsZero();
    void boolAndText();
    void udidDisplay();
};

// Floats as little-endian IEEE-754 single: 1.0 0000803f, -2.5 000020c0, 250.0 00007a43,
// 0.5 0000003f, 10.0 00002041, 0.25 0000803e, 1.5 0000c03f, 42.0 00002842.

void tst_VT4SDM0Records::dataRecord()
{
    const QByteArray wire = QByteArray::fromHex("0000803f"
                                                "000020c0"
                                                "00007a43"
                                                "3d"
                                                "aabbcc");
    QCOMPARE(wire.size(), 16);
    const auto record = DriverValueCodec<VT4SDM0V1_Data_t>::decode(wire);
    QCOMPARE(record.current, 1.0f);
    QCOMPARE(record.voltage, -2.5f);
    QCOMPARE(record.counts, 250.0f);
    QCOMPARE(record.status.toByte(), quint8(0x3D));

    VT4SDM0V1_Data_t built{};
    built.current = 1.0f;
    built.voltage = -2.5f;
    built.counts = 250.0f;
    built.status = VT4SDM0_Status_t::fromByte(0x3D);
    QCOMPARE(DriverValueCodec<VT4SDM0V1_Data_t>::encode(built),
             QByteArray::fromHex("0000803f000020c000007a433d000000"));
}

void tst_VT4SDM0Records::paramRecord()
{
    const QByteArray wire = QByteArray::fromHex("0000003f"
                                                "00002041"
                                                "0000803e"
                                                "0000c03f"
                                                "2a000000");
    const auto record = DriverValueCodec<VT4SDM0V1_Param_t>::decode(wire);
    QCOMPARE(record.cmpReferenceLevel, 0.5f);
    QCOMPARE(record.timeConst, 10.0f);
    QCOMPARE(record.autoResetThreshold, 0.25f);
    QCOMPARE(record.autoResetTimeOut, 1.5f);
    QCOMPARE(record.autoResetAlarmsCounts, 42u);
    QCOMPARE(DriverValueCodec<VT4SDM0V1_Param_t>::encode(record), wire);
}

void tst_VT4SDM0Records::eepromRecord()
{
    const QByteArray wire = QByteArray::fromHex("0000803f000020c0"   // currentAdcCoeff (1.0, -2.5)
                                                "00007a430000003f"   // voltageAdcCoeff (250, 0.5)
                                                "000020410000803e"   // currentDacCoeff (10, 0.25)
                                                "0000c03f00002842"); // cmpReferenceCoeff (1.5, 42)
    const auto record = DriverValueCodec<VT4SDM0V1_EEPROM_Const_t>::decode(wire);
    QCOMPARE(record.currentAdcCoeff, (pair_t<float>{1.0f, -2.5f}));
    QCOMPARE(record.voltageAdcCoeff, (pair_t<float>{250.0f, 0.5f}));
    QCOMPARE(record.currentDacCoeff, (pair_t<float>{10.0f, 0.25f}));
    QCOMPARE(record.cmpReferenceCoeff, (pair_t<float>{1.5f, 42.0f}));
    QCOMPARE(DriverValueCodec<VT4SDM0V1_EEPROM_Const_t>::encode(record), wire);
    QCOMPARE(DriverValueCodec<pair_t<float>>::encode({1.0f, -2.5f}), QByteArray::fromHex("0000803f000020c0"));
}

void tst_VT4SDM0Records::statusBits_data()
{
    QTest::addColumn<quint8>("byte");
    QTest::addColumn<int>("bit");
    QTest::newRow("inited") << quint8(0x01) << 0;
    QTest::newRow("shortEnable") << quint8(0x02) << 1;
    QTest::newRow("amplifierEnable") << quint8(0x04) << 2;
    QTest::newRow("rfKeyEnable") << quint8(0x08) << 3;
    QTest::newRow("cmpLatchEnable") << quint8(0x10) << 4;
    QTest::newRow("counterEnable") << quint8(0x20) << 5;
    QTest::newRow("autoResetEnable") << quint8(0x40) << 6;
    QTest::newRow("error") << quint8(0x80) << 7;
}

void tst_VT4SDM0Records::statusBits()
{
    QFETCH(quint8, byte);
    QFETCH(int, bit);
    const auto status = VT4SDM0_Status_t::fromByte(byte);
    const int fields[] = {status.inited,          status.shortEnable,    status.amplifierEnable,
                          status.rfKeyEnable,     status.cmpLatchEnable, status.counterEnable,
                          status.autoResetEnable, status.error};
    for (int i = 0; i < 8; ++i)
        QCOMPARE(fields[i], i == bit ? 1 : 0);
    QCOMPARE(status.toByte(), byte);
}

void tst_VT4SDM0Records::operating_data()
{
    QTest::addColumn<quint8>("byte");
    QTest::addColumn<bool>("operating");
    QTest::newRow("whole chain on") << quint8(0x3C) << true;
    QTest::newRow("with inited and error") << quint8(0xBD) << true;
    QTest::newRow("short on") << quint8(0x7E) << false;
    QTest::newRow("counter off") << quint8(0x1C) << false;
    QTest::newRow("all off") << quint8(0x00) << false;
}

void tst_VT4SDM0Records::operating()
{
    QFETCH(quint8, byte);
    QFETCH(bool, operating);
    QCOMPARE(VT4SDM0_Status_t::fromByte(byte).isOperating(), operating);
}

void tst_VT4SDM0Records::shortImagesDecodeAsZero()
{
    const auto record = DriverValueCodec<VT4SDM0V1_Param_t>::decode(QByteArray::fromHex("0000803f"));
    QCOMPARE(record.cmpReferenceLevel, 0.0f);
    QCOMPARE(record.autoResetAlarmsCounts, 0u);
    QCOMPARE(DriverValueCodec<float>::decode({}), 0.0f);
}

void tst_VT4SDM0Records::boolAndText()
{
    QCOMPARE(DriverValueCodec<bool>::encode(true), QByteArray::fromHex("01"));
    QCOMPARE(DriverValueCodec<bool>::encode(false), QByteArray::fromHex("00"));
    QCOMPARE(DriverValueCodec<bool>::decode(QByteArray::fromHex("02")), true);
    QCOMPARE(DriverValueCodec<QString>::decode(QByteArray::fromHex("56543453444d30c3a9")),
             QStringLiteral("VT4SDM0é"));
    QCOMPARE(DriverValueCodec<QString>::Size, qsizetype(-1));
}

void tst_VT4SDM0Records::udidDisplay()
{
    const auto udid = DriverValueCodec<cUDID>::decode(QByteArray::fromHex("00112233445566778899aabb"));
    QCOMPARE(udid.toDisplayString(), QStringLiteral("0011-2233-4455-6677-8899-AABB"));
    QCOMPARE(DriverValueCodec<cUDID>::Size, qsizetype(12));
}

QTEST_GUILESS_MAIN(tst_VT4SDM0Records)
#include "tst_VT4SDM0Records.moc"
