#include "ResistanceThermometer.h"
#include "TemperatureTable.h"

#include <QTest>

#include <cstring>

class tst_TemperatureTable : public QObject
{
    Q_OBJECT
private slots:
    void factoryTableReadsTheSensorBack_data();
    void factoryTableReadsTheSensorBack();
    void handWrittenTables_data();
    void handWrittenTables();
    void chunkBytesFromHand();
    void chunkRequestsOutOfRangeAreRefused_data();
    void chunkRequestsOutOfRangeAreRefused();
};

void tst_TemperatureTable::factoryTableReadsTheSensorBack_data()
{
    QTest::addColumn<double>("kelvin");
    for (double kelvin : {1.6, 2.0, 2.45, 3.3, 4.2, 7.7, 15.0, 39.0})
        QTest::addRow("%g K", kelvin) << kelvin;
}

void tst_TemperatureTable::factoryTableReadsTheSensorBack()
{
    QFETCH(double, kelvin);
    const TemperatureTable table;
    const double volts = ResistanceThermometer::voltage(ResistanceThermometer::NominalCurrent, kelvin);
    QVERIFY(qAbs(table.temperatureAt(volts) - kelvin) < 0.002 * kelvin); // within the point spacing's bend
}

void tst_TemperatureTable::handWrittenTables_data()
{
    QTest::addColumn<QList<float>>("points"); ///< voltage, temperature, ... for the first points
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("kelvin");
    // Unwritten points keep 0 V, 0 K after the given ones.
    QTest::newRow("rising voltages, between points")
        << QList<float>{0.1f, 10, 0.2f, 20, 0.3f, 30} << 0.25 << 25.0;
    QTest::newRow("falling voltages") << QList<float>{0.3f, 10, 0.2f, 20, 0.1f, 30} << 0.15 << 25.0;
    QTest::newRow("above every point: nearest") << QList<float>{0.3f, 10, 0.2f, 20, 0.1f, 30} << 0.9 << 10.0;
    QTest::newRow("all points equal") << QList<float>{} << 0.5 << 0.0;
    QTest::newRow("not a number") << QList<float>{0.1f, 10, 0.2f, 20} << qQNaN() << qQNaN();
}

void tst_TemperatureTable::handWrittenTables()
{
    QFETCH(QList<float>, points);
    QFETCH(double, volts);
    QFETCH(double, kelvin);
    TemperatureTable table;
    QByteArray image(TemperatureTable::ImageSize, '\0');
    if (!points.isEmpty())
        std::memcpy(image.data(), points.constData(), size_t(points.size()) * sizeof(float));
    QVERIFY(table.setImage(image));
    const double read = table.temperatureAt(volts);
    if (qIsNaN(kelvin))
        QVERIFY(qIsNaN(read));
    else
        QVERIFY2(qAbs(read - kelvin) < 1e-4, qPrintable(QString::number(read)));
}

void tst_TemperatureTable::chunkBytesFromHand()
{
    TemperatureTable table;
    // Point 5 := (1.0 V, 40.0 K), point 6 := (0.5 V, 2.0 K); floats written out as IEEE-754 bytes.
    QVERIFY(table.writeChunk(QByteArray::fromHex("0502"
                                                 "0000803f"
                                                 "00002042"
                                                 "0000003f"
                                                 "00000040")));
    QCOMPARE(table.items()[5].voltage, 1.0f);
    QCOMPARE(table.items()[5].temperature, 40.0f);
    QCOMPARE(table.items()[6].temperature, 2.0f);
    QCOMPARE(table.readChunk(QByteArray::fromHex("0601")), QByteArray::fromHex("0000003f00000040"));
    QCOMPARE(table.readChunk(QByteArray::fromHex("5a0a"))->size(), 80); // the last ten points
}

void tst_TemperatureTable::chunkRequestsOutOfRangeAreRefused_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<bool>("write");
    QTest::newRow("read past the end") << QByteArray::fromHex("5b0a") << false;
    QTest::newRow("read of no points") << QByteArray::fromHex("0000") << false;
    QTest::newRow("read without count") << QByteArray::fromHex("00") << false;
    QTest::newRow("read with extra byte") << QByteArray::fromHex("000a00") << false;
    QTest::newRow("write past the end") << QByteArray::fromHex("6301") + QByteArray(16, '\0') << true;
    QTest::newRow("write one byte short") << QByteArray::fromHex("0001") + QByteArray(7, '\0') << true;
    QTest::newRow("write header only") << QByteArray::fromHex("00") << true;
}

void tst_TemperatureTable::chunkRequestsOutOfRangeAreRefused()
{
    QFETCH(QByteArray, request);
    QFETCH(bool, write);
    TemperatureTable table;
    const QByteArray before = table.image();
    if (write)
        QVERIFY(!table.writeChunk(request));
    else
        QVERIFY(!table.readChunk(request));
    QCOMPARE(table.image(), before);
}

QTEST_GUILESS_MAIN(tst_TemperatureTable)
#include "tst_TemperatureTable.moc"
