// Which drivers the factory makes for which type strings, and how the parameter bridge sees them.
#include "CommonDriver.h"
#include "DriverFactory.h"
#include "DriverHelper.h"

#include <QTest>
#include <memory>

class tst_DriverFactory : public QObject
{
    Q_OBJECT
private slots:
    void models_data();
    void models();
};

void tst_DriverFactory::models_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("driverClass");
    QTest::addColumn<bool>("fromCrateList");
    QTest::addColumn<int>("bridgeType");
    QTest::newRow("SSPD M0 with a suffix") << "VT4SDM0-R2"
                                           << "SspdDriverM0" << true << 0;
    QTest::newRow("temperature M1") << "VT4TDM1"
                                    << "TempDriverM1" << true << 3;
    QTest::newRow("heater") << "VT4HTM0"
                            << "HeaterDriverM0" << false << 4;
    QTest::newRow("SIS bias source") << "VT4BSM0"
                                     << "SisBiasSourceDriverM0" << false << 4;
    QTest::newRow("SIS control line") << "VT4CLM0"
                                      << "SisControlLineDriverM0" << false << 4;
    QTest::newRow("unknown") << "VT4XYZ"
                             << "" << false << -1;
}

void tst_DriverFactory::models()
{
    QFETCH(QString, type);
    QFETCH(QString, driverClass);
    QFETCH(bool, fromCrateList);
    QFETCH(int, bridgeType);
    std::unique_ptr<CommonDriver> listed(DriverFactory::create(type, nullptr));
    std::unique_ptr<CommonDriver> any(DriverFactory::create(type, nullptr, DriverFactory::AllModels));
    QCOMPARE(listed != nullptr, fromCrateList);
    QCOMPARE(any ? QString::fromLatin1(any->metaObject()->className()) : QString(), driverClass);
    if (any) {
        DriverHelper bridge(any.get(), nullptr);
        QCOMPARE(bridge.deviceType(), bridgeType);
        if (bridgeType == 4) // no link: a read would fail, but nothing is even tried
            QVERIFY(bridge.getDeviceData(1).isEmpty() && bridge.getDeviceParams(1).isEmpty());
    }
}

QTEST_GUILESS_MAIN(tst_DriverFactory)
#include "tst_DriverFactory.moc"
