#include "CalibrationPair.h"
#include "EepromDataModel.h"
#include "EepromDataStorage.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QVariant pair(double first, double second)
{
    return QVariant::fromValue(CalibrationPair(first, second));
}

/// The constants of a module as the worker reads them, every pair distinct.
QVariantMap moduleConstants(int type, const QString &typeString)
{
    QVariantMap map{
        {"type", type}, {"address", 7}, {"type_str", typeString}, {"UDID", "0011-2233-4455-6677-8899-AABB"}};
    int n = 0;
    for (const char *name : {"Current_ADC", "Current_DAC", "CurrentMonitor_ADC", "Voltage_ADC", "Cmp_Ref_DAC",
                             "tempSensorCurrentAdc", "tempSensorCurrentDac", "tempSensorVoltage",
                             "pressSensorVoltageP", "pressSensorVoltageN", "pressSensorCoeffs"}) {
        ++n;
        map.insert(name, pair(n, n + 0.5));
    }
    map.insert("PulseWidth", 12.5);
    for (int i = 0; i < 100; ++i)
        map.insert(QStringLiteral("tempTable_%1").arg(i), pair(i * 0.01, 300 - i));
    return map;
}

CalibrationPair pairOf(const EepromDataStorage &storage, const QString &name)
{
    return storage.getByName(name)->value().value<CalibrationPair>();
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &content)
{
    const QString path = dir.filePath("constants.json");
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}
} // namespace

class tst_EepromDataStorage : public QObject
{
    Q_OBJECT
private slots:
    void catalogue_data();
    void catalogue();
    void addAndRemove();
    void modelRolesAndEdits();
    void fileRoundTrip();
    void fileWrittenByHand();
    void badFileChangesNothing_data();
    void badFileChangesNothing();
    void partialFileLoadsWhatTheModuleShares_data();
    void partialFileLoadsWhatTheModuleShares();
    void otherModuleIdentity();
};

void tst_EepromDataStorage::catalogue_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("firstNames");
    QTest::addColumn<int>("count");
    QTest::newRow("SSPD M0") << 0 << QStringList{"Current_ADC", "Current_DAC", "Voltage_ADC", "Cmp_Ref_DAC"}
                             << 4;
    QTest::newRow("SSPD M1") << 1 << QStringList{"Current_ADC", "Current_DAC", "CurrentMonitor_ADC",
                                                 "Voltage_ADC", "Cmp_Ref_DAC", "PulseWidth"}
                             << 6;
    QTest::newRow("temperature M0") << 2 << QStringList{"tempSensorCurrentAdc", "tempSensorCurrentDac",
                                                        "tempSensorVoltage",    "pressSensorVoltageP",
                                                        "pressSensorVoltageN",  "pressSensorCoeffs",
                                                        "tempTable_0",          "tempTable_1"}
                                    << 106;
    QTest::newRow("temperature M1") << 3 << QStringList{} << 0;
}

void tst_EepromDataStorage::catalogue()
{
    QFETCH(int, type);
    QFETCH(QStringList, firstNames);
    QFETCH(int, count);
    EepromDataStorage storage;
    storage.addItem("g", "left over", "x", EepromDataItem::Single, 1);
    QSignalSpy cleared(&storage, &EepromDataStorage::storageCleared);
    storage.initialize(moduleConstants(type, "VT4XX"));
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(storage.count(), count);
    QCOMPARE(storage.typeString(), QString("VT4XX"));
    QCOMPARE(storage.udid(), QString("0011-2233-4455-6677-8899-AABB"));
    QCOMPARE(storage.address(), 7);
    for (int i = 0; i < firstNames.size(); ++i)
        QCOMPARE(storage.get(i)->name(), firstNames.at(i));
    if (type == 1) {
        QCOMPARE(storage.getByName("PulseWidth")->type(), EepromDataItem::Single);
        QCOMPARE(storage.getByName("PulseWidth")->value().toDouble(), 12.5);
        QCOMPARE(storage.groups(),
                 QVariantList({"Bias unit (slope, intercept)", "Read out (slope, intercept)"}));
    }
    if (type == 2) {
        QCOMPARE(storage.getByName("pressSensorVoltageP")->displayedName(), QString("Voltage \"+\" ADC:"));
        QCOMPARE(storage.getByName("pressSensorVoltageN")->displayedName(), QString("Voltage \"-\" ADC:"));
        QCOMPARE(storage.get(105)->name(), QString("tempTable_99"));
        QCOMPARE(storage.get(105)->displayedName(), QString("99"));
        QCOMPARE(pairOf(storage, "tempTable_99"), CalibrationPair(0.99, 201));
        QCOMPARE(storage.getByGroup("Temperature table (voltage, temperature)").size(), 100);
    }
}

void tst_EepromDataStorage::addAndRemove()
{
    EepromDataStorage storage;
    QSignalSpy added(&storage, &EepromDataStorage::itemAdded);
    QSignalSpy removed(&storage, &EepromDataStorage::itemRemoved);
    storage.addItem("g", "a", "A:", EepromDataItem::Single, 1.0);
    storage.addItem("h", "a", "A2:", EepromDataItem::Pair, pair(1, 2));
    QCOMPARE(added.count(), 1);
    QCOMPARE(storage.count(), 1);
    QCOMPARE(storage.get(0)->group(), QString("h"));
    QCOMPARE(storage.get(0)->type(), EepromDataItem::Pair);
    QVERIFY(!storage.get(-1));
    QVERIFY(!storage.get(1));
    QVERIFY(!storage.getByName("b"));
    storage.removeItem("b");
    storage.removeItem("a");
    QCOMPARE(removed.count(), 1);
    QCOMPARE(storage.count(), 0);
}

void tst_EepromDataStorage::modelRolesAndEdits()
{
    EepromDataStorage storage;
    storage.initialize(moduleConstants(1, "VT4SDM1"));
    EepromDataModel *model = EepromDataModel::instance();
    model->setStorage(&storage);
    QCOMPARE(model->roleNames().value(257), QByteArray("group"));
    QCOMPARE(model->roleNames().value(261), QByteArray("value"));
    QCOMPARE(model->rowCount(), 6);
    const QModelIndex currentAdc = model->index(0);
    const QModelIndex pulseWidth = model->index(5);
    QCOMPARE(model->data(currentAdc, 260).toInt(), int(EepromDataItem::Pair));
    QCOMPARE(model->data(currentAdc, 261).toMap(), QVariantMap({{"first", 1.0}, {"second", 1.5}}));

    // Editing the first coefficient writes [new first, old second].
    QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
    QVERIFY(model->setData(currentAdc, QVariantList{3.25, 1.5}, 261));
    QCOMPARE(pairOf(storage, "Current_ADC"), CalibrationPair(3.25, 1.5));
    QCOMPARE(changed.count(), 1);
    QVERIFY(model->setData(pulseWidth, 7.5, 261));
    QCOMPARE(storage.getByName("PulseWidth")->value().toDouble(), 7.5);

    // Values of the wrong form change nothing.
    QVERIFY(!model->setData(currentAdc, QVariantList{9.0}, 261));
    QVERIFY(!model->setData(currentAdc, QVariantList{"x", 1}, 261));
    QVERIFY(!model->setData(pulseWidth, "abc", 261));
    QCOMPARE(pairOf(storage, "Current_ADC"), CalibrationPair(3.25, 1.5));
    QCOMPARE(storage.getByName("PulseWidth")->value().toDouble(), 7.5);
    QCOMPARE(changed.count(), 2);

    model->setStorage(nullptr);
    QCOMPARE(model->rowCount(), 0);
}

void tst_EepromDataStorage::fileRoundTrip()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("m1.json");
    EepromDataStorage saved;
    saved.initialize(moduleConstants(2, "VT4TDM0"));
    QVERIFY(saved.saveToFile(path));
    EepromDataStorage loaded;
    QVariantMap blank = moduleConstants(2, "VT4TDM0");
    for (auto it = blank.begin(); it != blank.end(); ++it) {
        if (it.value().canConvert<CalibrationPair>())
            it.value() = pair(0, 0);
    }
    loaded.initialize(blank);
    QSignalSpy updated(&loaded, &EepromDataStorage::updated);
    QVERIFY(loaded.loadFromFile(path));
    QCOMPARE(updated.count(), 1);
    for (int i = 0; i < saved.count(); ++i)
        QCOMPARE(loaded.get(i)->value(), saved.get(i)->value());

    // A detector module's file holds its four pairs and the identity only.
    EepromDataStorage m0;
    m0.initialize(moduleConstants(0, "VT4SDM0"));
    QVERIFY(m0.saveToFile(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject object = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(object.keys(), QStringList({"CurrentAdcCoeffs", "CurrentDacCoeffs", "DeviceType", "UDID",
                                         "VoltageAdcCoeffs", "leCmpRefDacCoeffs"}));
    QCOMPARE(object.value("leCmpRefDacCoeffs").toArray(), QJsonArray({5, 5.5}));

    QSignalSpy errors(&m0, &EepromDataStorage::fileError);
    QVERIFY(!m0.saveToFile(dir.filePath("missing/dir/m0.json")));
    QCOMPARE(errors.count(), 1);
}

void tst_EepromDataStorage::fileWrittenByHand()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, R"({
        "DeviceType": "VT4TDM0", "UDID": "0011-2233-4455-6677-8899-AABB",
        "TempSensorCurrentADCCoeffs": [1e-6, -2],
        "PressSensorCoeffs": [4, 5],
        "CurrentAdcCoeffs": [8, 9],
        "SomethingElse": "ignored",
        "TempTable": [[0.5, 10], [0.25, 20]]
    })");
    EepromDataStorage storage;
    storage.initialize(moduleConstants(2, "VT4TDM0"));
    QVERIFY(storage.loadFromFile(path));
    QCOMPARE(pairOf(storage, "tempSensorCurrentAdc"), CalibrationPair(1e-6, -2));
    QCOMPARE(pairOf(storage, "pressSensorCoeffs"), CalibrationPair(4, 5));
    QCOMPARE(pairOf(storage, "tempTable_1"), CalibrationPair(0.25, 20));
    QCOMPARE(pairOf(storage, "tempTable_2"), CalibrationPair(0.02, 298)); // beyond the file's table
    QCOMPARE(pairOf(storage, "tempSensorVoltage"), CalibrationPair(8, 8.5));
    QCOMPARE(storage.count(), 106);
}

void tst_EepromDataStorage::badFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("messagePart");
    const QByteArray head = R"({"DeviceType": "VT4SDM1", "UDID": "0011-2233-4455-6677-8899-AABB", )";
    QTest::newRow("missing") << QByteArray() << QString("Couldn't open");
    QTest::newRow("empty") << QByteArray("  \n") << QString("is empty");
    QTest::newRow("truncated") << head + R"("CurrentAdcCoeffs": [1, )" << QString("not a calibration file");
    QTest::newRow("not JSON") << QByteArray("Current_ADC = 1, 2") << QString("not a calibration file");
    QTest::newRow("array") << QByteArray("[1, 2]") << QString("not a calibration file");
    // Nothing the two share: the file's only constant is bad, or this module has none of the file's.
    QTest::newRow("text in pair") << head + R"("CurrentDacCoeffs": ["1", 2]})" << QString("CurrentDacCoeffs");
    QTest::newRow("thermometer's file")
        << QByteArray(R"({"DeviceType": "VT4TDM0", "PressSensorCoeffs": [1, 2], "TempTable": [[1, 2]]})")
        << QString("\"TempTable\" (this module has no such constant)");
    QTest::newRow("pulse width text") << head + R"("PulseWidth": "wide"})" << QString("PulseWidth");
    QTest::newRow("huge") << QByteArray("{\"DeviceType\": \"") + QByteArray(101 * 1024 * 1024, 'x') + "\"}"
                          << QString("larger than");
}

void tst_EepromDataStorage::badFileChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, messagePart);
    QTemporaryDir dir;
    const QString path = content.isNull() ? dir.filePath("absent.json") : writeFile(dir, content);
    EepromDataStorage storage;
    storage.initialize(moduleConstants(1, "VT4SDM1"));
    const QVariantMap before = storage.constants();
    QSignalSpy errors(&storage, &EepromDataStorage::fileError);
    QSignalSpy updated(&storage, &EepromDataStorage::updated);
    QCOMPARE(storage.inspectFile(path).value("error").toString().contains(messagePart), true);
    QVERIFY(!storage.loadFromFile(path));
    QCOMPARE(errors.count(), 1);
    QVERIFY2(errors.at(0).at(0).toString().contains(messagePart), qPrintable(errors.at(0).at(0).toString()));
    QCOMPARE(updated.count(), 0);
    QCOMPARE(storage.constants(), before);
}

void tst_EepromDataStorage::partialFileLoadsWhatTheModuleShares_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QStringList>("loaded");
    const QByteArray head = R"({"DeviceType": "VT4SDM1", )";
    QTest::newRow("other modification")
        << QByteArray(R"({"DeviceType": "VT4SDM0", "CurrentAdcCoeffs": [1, 2], "leCmpRefDacCoeffs": [1, 2]})")
        << QStringList{"The file holds the constants of a VT4SDM0 module; this module is a VT4SDM1."}
        << QStringList{"Current_ADC", "Cmp_Ref_DAC"};
    QTest::newRow("no type")
        << QByteArray(R"({"CurrentAdcCoeffs": [1, 2]})")
        << QStringList{"The file does not name its module type; this module is a VT4SDM1."}
        << QStringList{"Current_ADC"};
    QTest::newRow("three numbers")
        << head + R"("VoltageAdcCoeffs": [1, 2], "CurrentAdcCoeffs": [1, 2, 3]})"
        << QStringList{"\"CurrentAdcCoeffs\" is not a pair of numbers [first, second]"}
        << QStringList{"Voltage_ADC"};
    QTest::newRow("pulse width text")
        << head + R"("PulseWidth": "wide", "CurrentDacCoeffs": [1, 2]})"
        << QStringList{"\"PulseWidth\" is not a number"} << QStringList{"Current_DAC"};
}

void tst_EepromDataStorage::partialFileLoadsWhatTheModuleShares()
{
    QFETCH(QByteArray, content);
    QFETCH(QStringList, skipped);
    QFETCH(QStringList, loaded);
    QTemporaryDir dir;
    const QString path = writeFile(dir, content);
    EepromDataStorage storage;
    storage.initialize(moduleConstants(1, "VT4SDM1"));
    QVariantMap expected = storage.constants();
    for (const QString &name : loaded)
        expected.insert(name, pair(1, 2));
    const QVariantMap inspection = storage.inspectFile(path);
    QCOMPARE(inspection.value("error").toString(), QString());
    QCOMPARE(inspection.value("skipped").toStringList(), skipped);
    QCOMPARE(inspection.value("loadable").toInt(), loaded.size());
    QSignalSpy updated(&storage, &EepromDataStorage::updated);
    QVERIFY(storage.loadFromFile(path));
    QCOMPARE(updated.count(), 1);
    QCOMPARE(storage.constants(), expected);
}

void tst_EepromDataStorage::otherModuleIdentity()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("other.json");
    EepromDataStorage other;
    QVariantMap constants = moduleConstants(0, "VT4SDM0");
    constants.insert("UDID", "FFFF-2233-4455-6677-8899-AABB");
    other.initialize(constants);
    QVERIFY(other.saveToFile(path));
    EepromDataStorage storage;
    storage.initialize(moduleConstants(0, "VT4SDM0"));
    const QVariantMap inspection = storage.inspectFile(path);
    QCOMPARE(inspection.value("error").toString(), QString());
    QCOMPARE(inspection.value("udidDiffers").toBool(), true);
    QCOMPARE(inspection.value("udid").toString(), QString("FFFF-2233-4455-6677-8899-AABB"));
    QCOMPARE(storage.inspectFile(dir.filePath("m.json")).value("udidDiffers").toBool(), false);
}

QTEST_GUILESS_MAIN(tst_EepromDataStorage)
#include "tst_EepromDataStorage.moc"
