#include "CalibrationFile.h"
#include "AtomicFileWriter.h"
#include "BoundedFileReader.h"
#include "CalibrationPair.h"
#include "EepromCatalogue.h"
#include "EepromDataStorage.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <cmath>

namespace {
const QString DeviceTypeKey = QStringLiteral("DeviceType");
const QString UdidKey = QStringLiteral("UDID");
const QString PulseWidthKey = QStringLiteral("PulseWidth");
const QString PulseWidthItem = QStringLiteral("PulseWidth");
const QString TempTableKey = QStringLiteral("TempTable");

struct PairKey
{
    QString fileKey;
    QString itemName;
};

// File keys keep the forms earlier files were written with ("le" prefix, "ADC" against "Adc").
const QList<PairKey> &pairKeys()
{
    static const QList<PairKey> keys{
        {QStringLiteral("VoltageAdcCoeffs"), QStringLiteral("Voltage_ADC")},
        {QStringLiteral("CurrentAdcCoeffs"), QStringLiteral("Current_ADC")},
        {QStringLiteral("CurrentDacCoeffs"), QStringLiteral("Current_DAC")},
        {QStringLiteral("leCmpRefDacCoeffs"), QStringLiteral("Cmp_Ref_DAC")},
        {QStringLiteral("CurrentMonitorAdcCoeffs"), QStringLiteral("CurrentMonitor_ADC")},
        {QStringLiteral("TempSensorCurrentADCCoeffs"), QStringLiteral("tempSensorCurrentAdc")},
        {QStringLiteral("TempSensorCurrentDACCoeffs"), QStringLiteral("tempSensorCurrentDac")},
        {QStringLiteral("TempSensorVoltageCoeffs"), QStringLiteral("tempSensorVoltage")},
        {QStringLiteral("PressSensorVoltagePCoeffs"), QStringLiteral("pressSensorVoltageP")},
        {QStringLiteral("PressSensorVoltageNCoeffs"), QStringLiteral("pressSensorVoltageN")},
        {QStringLiteral("PressSensorCoeffs"), QStringLiteral("pressSensorCoeffs")},
    };
    return keys;
}

QJsonArray pairArray(const QVariant &value)
{
    const CalibrationPair pair =
        value.canConvert<CalibrationPair>() ? value.value<CalibrationPair>() : CalibrationPair(0, 0);
    return QJsonArray{pair.first, pair.second};
}

/// A pair of finite numbers from a JSON value, or false.
bool pairFromJson(const QJsonValue &value, CalibrationPair *pair)
{
    const QJsonArray array = value.toArray();
    if (!value.isArray() || array.size() != 2 || !array.at(0).isDouble() || !array.at(1).isDouble())
        return false;
    *pair = CalibrationPair(array.at(0).toDouble(), array.at(1).toDouble());
    return std::isfinite(pair->first) && std::isfinite(pair->second);
}

const QString NotAPair = QStringLiteral("is not a pair of numbers [first, second]");
} // namespace

QJsonObject CalibrationFile::build(const EepromDataStorage &storage)
{
    QJsonObject object{{DeviceTypeKey, storage.typeString()}, {UdidKey, storage.udid()}};
    for (const PairKey &key : pairKeys()) {
        if (const EepromDataItem *item = storage.getByName(key.itemName))
            object.insert(key.fileKey, pairArray(item->value()));
    }
    if (const EepromDataItem *item = storage.getByName(PulseWidthItem))
        object.insert(PulseWidthKey, item->value().toDouble());
    QJsonArray table;
    for (int i = 0; i < EepromCatalogue::TempTablePoints; ++i) {
        if (const EepromDataItem *item = storage.getByName(EepromCatalogue::tempTableName(i)))
            table.append(pairArray(item->value()));
    }
    if (!table.isEmpty())
        object.insert(TempTableKey, table);
    return object;
}

bool CalibrationFile::write(const QString &fileName, const QJsonObject &object, QString *error)
{
    *error = AtomicFileWriter::write(fileName, QJsonDocument(object).toJson(QJsonDocument::Indented));
    return error->isEmpty();
}

bool CalibrationFile::read(const QString &fileName, QJsonObject *object, QString *error)
{
    QByteArray bytes;
    *error = BoundedFileReader::read(fileName, MaxFileBytes, &bytes);
    if (!error->isEmpty())
        return false;
    if (bytes.trimmed().isEmpty()) {
        *error = QStringLiteral("%1 is empty.").arg(QFileInfo(fileName).fileName());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error = QStringLiteral("%1 is not a calibration file: %2 at byte %3.")
                     .arg(QFileInfo(fileName).fileName(), parseError.error != QJsonParseError::NoError
                                                              ? parseError.errorString()
                                                              : QStringLiteral("no JSON object"))
                     .arg(parseError.error != QJsonParseError::NoError ? parseError.offset : 0);
        return false;
    }
    *object = document.object();
    return true;
}

QString CalibrationFile::typeMismatch(const QJsonObject &object, const EepromDataStorage &storage)
{
    const QString fileType = object.value(DeviceTypeKey).toString();
    if (fileType == storage.typeString())
        return {};
    return fileType.isEmpty()
               ? QStringLiteral("The file does not name its module type; this module is a %1.")
                     .arg(storage.typeString())
               : QStringLiteral("The file holds the constants of a %1 module; this module is a %2.")
                     .arg(fileType, storage.typeString());
}

QList<CalibrationFile::Assignment> CalibrationFile::assignments(const QJsonObject &object,
                                                                const EepromDataStorage &storage,
                                                                QStringList *skipped)
{
    QList<Assignment> values;
    const auto skip = [skipped](const QString &entry, const QString &why) {
        skipped->append(QStringLiteral("\"%1\" %2").arg(entry, why));
    };
    const QString noSuchConstant = QStringLiteral("(this module has no such constant)");
    for (const PairKey &key : pairKeys()) {
        if (!object.contains(key.fileKey))
            continue;
        CalibrationPair pair;
        if (!storage.getByName(key.itemName))
            skip(key.fileKey, noSuchConstant);
        else if (!pairFromJson(object.value(key.fileKey), &pair))
            skip(key.fileKey, NotAPair);
        else
            values.append({key.itemName, QVariant::fromValue(pair)});
    }
    if (object.contains(PulseWidthKey)) {
        const QJsonValue width = object.value(PulseWidthKey);
        if (!storage.getByName(PulseWidthItem))
            skip(PulseWidthKey, noSuchConstant);
        else if (!width.isDouble() || !std::isfinite(width.toDouble()))
            skip(PulseWidthKey, QStringLiteral("is not a number"));
        else
            values.append({PulseWidthItem, width.toDouble()});
    }
    if (object.contains(TempTableKey)) {
        const QJsonArray table = object.value(TempTableKey).toArray();
        if (!storage.getByName(EepromCatalogue::tempTableName(0)))
            skip(TempTableKey, noSuchConstant);
        else if (!object.value(TempTableKey).isArray())
            skip(TempTableKey, QStringLiteral("is not a list of pairs"));
        for (int i = 0; i < EepromCatalogue::TempTablePoints && i < table.size(); ++i) {
            const QString name = EepromCatalogue::tempTableName(i);
            CalibrationPair pair;
            if (!storage.getByName(name))
                continue;
            if (pairFromJson(table.at(i), &pair))
                values.append({name, QVariant::fromValue(pair)});
            else
                skip(QStringLiteral("%1[%2]").arg(TempTableKey).arg(i), NotAPair);
        }
    }
    return values;
}

QString CalibrationFile::udid(const QJsonObject &object)
{
    return object.value(UdidKey).toString();
}
