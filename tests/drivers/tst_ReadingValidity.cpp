#include "DriverHelper.h"
#include "ReadingValidity.h"

#include <QTest>

namespace {
using Values = QMap<QString, QVariant>;

/// A detector channel switched on and biased on its plateau: 20 µA, 1 mV, 20 mV threshold.
Values biasedChannel()
{
    return {{"status_shorted", false}, {"status_counter_on", true}, {"cps", 1500.0},
            {"current", 20e-6},        {"voltage", 1e-3},           {"auto_reset_threshold", 0.02}};
}

Values with(Values values, const QString &key, const QVariant &value)
{
    values.insert(key, value);
    return values;
}
} // namespace

/// The module's own record decides whether its reading is a measurement and whether a detector
/// is latched.
class tst_ReadingValidity : public QObject
{
    Q_OBJECT

private slots:
    void detectorChannel_data();
    void detectorChannel();
    void temperatureModule();
};

void tst_ReadingValidity::detectorChannel_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("latched");

    const Values on = biasedChannel();
    QTest::newRow("counting") << on << true << false;
    QTest::newRow("shorted") << with(on, "status_shorted", true) << false << false;
    QTest::newRow("counter off") << with(on, "status_counter_on", false) << false << false;
    QTest::newRow("time constant 0") << with(on, "cps", qInf()) << false << false;
    QTest::newRow("above threshold") << with(on, "voltage", 0.044) << true << true;
    // Lowered to 8 µA the hot spot's 16 mV is under the threshold; its 2 kΩ still tells.
    QTest::newRow("latched at a lowered bias")
        << with(with(on, "current", 8e-6), "voltage", 0.016) << true << true;
    QTest::newRow("leads at full bias")
        << with(with(on, "current", 100e-6), "voltage", 0.005) << true << false;
    QTest::newRow("negative bias latched")
        << with(with(on, "current", -20e-6), "voltage", -0.04) << true << true;
    QTest::newRow("no threshold") << with(with(on, "auto_reset_threshold", 0.0), "voltage", 0.005) << true
                                  << false;
    QTest::newRow("unbiased noise") << with(with(on, "current", 0.1e-6), "voltage", 60e-6) << true << false;
    QTest::newRow("shorted above threshold")
        << with(with(on, "status_shorted", true), "voltage", 0.05) << false << false;
}

void tst_ReadingValidity::detectorChannel()
{
    QFETCH(Values, values);
    QFETCH(bool, valid);
    QFETCH(bool, latched);
    for (int type : {DriverHelper::DeviceSspdM0, DriverHelper::DeviceSspdM1}) {
        Values marked = values;
        ReadingValidity::mark(marked, type);
        QCOMPARE(marked.value(ReadingValidity::ValidKey), QVariant(valid));
        QCOMPARE(marked.value(ReadingValidity::LatchedKey), QVariant(latched));
    }
}

void tst_ReadingValidity::temperatureModule()
{
    const Values measuring{{"operate", true}, {"temperature_sensor_current", 1e-5}, {"temperature", 2.45}};
    const QList<QPair<Values, bool>> cases{
        {measuring, true},
        {with(measuring, "operate", false), false},
        {with(measuring, "temperature_sensor_current", 0.0), false},
        {with(measuring, "temperature", qQNaN()), false},
    };
    for (const auto &[values, valid] : cases) {
        Values marked = values;
        ReadingValidity::mark(marked, DriverHelper::DeviceTempM0);
        QCOMPARE(marked.value(ReadingValidity::ValidKey), QVariant(valid));
        QVERIFY(!marked.contains(ReadingValidity::LatchedKey));
    }
    // The bridge has no readings of other modules to judge.
    Values other = measuring;
    ReadingValidity::mark(other, DriverHelper::DeviceTempM1);
    QCOMPARE(other, measuring);
}

QTEST_GUILESS_MAIN(tst_ReadingValidity)
#include "tst_ReadingValidity.moc"
