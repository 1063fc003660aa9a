#include "PresetFile.h"
#include "AtomicFileWriter.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

namespace {
const QString DataKey = QStringLiteral("data");
constexpr int MaxBusAddress = 255;

/// Text stays text: firmware versions, UDIDs and descriptions must survive a save. Numbers and
/// switches are written as numbers, as files of earlier versions hold them.
QJsonValue presetValue(const QVariant &value)
{
    const int type = value.typeId();
    if (type == QMetaType::QString || type == QMetaType::QByteArray || type == QMetaType::QChar)
        return value.toString();
    if (value.canConvert<double>())
        return value.toDouble();
    if (value.canConvert<bool>())
        return value.toBool();
    if (value.canConvert<QString>())
        return value.toString();
    return QJsonValue(QJsonValue::Undefined);
}

/// A number of the file, whether written as a JSON number or as text.
double numberOf(const QJsonValue &value, double fallback)
{
    if (value.isString()) {
        bool ok = false;
        const double number = value.toString().toDouble(&ok);
        return ok ? number : fallback;
    }
    return value.toDouble(fallback);
}
} // namespace

QJsonObject PresetFile::moduleObject(const DataProviderItem &item)
{
    QJsonObject object;
    for (const QString &key : item.keys()) {
        const QJsonValue value = presetValue(item.byName(key));
        if (!value.isUndefined())
            object.insert(key, value);
    }
    return object;
}

QByteArray PresetFile::document(const QList<DataProviderItem> &items)
{
    QJsonArray modules;
    for (const DataProviderItem &item : items) {
        if (item.byName(QStringLiteral("restore")).toBool())
            modules.append(moduleObject(item));
    }
    if (modules.isEmpty())
        return {};
    return QJsonDocument(QJsonObject{{DataKey, modules}}).toJson(QJsonDocument::Indented);
}

QString PresetFile::save(const QList<DataProviderItem> &items, const QString &fileName)
{
    const QByteArray json = document(items);
    if (json.isEmpty())
        return QStringLiteral("No channels selected for preset save");
    return AtomicFileWriter::write(fileName, json);
}

QString PresetFile::load(const QString &fileName, QList<ChannelPreset> *channels)
{
    channels->clear();
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Couldn't open file: %1").arg(fileName);
    if (file.size() > MaxFileBytes)
        return QStringLiteral("%1 is not a presets file: %2 bytes, presets take at most %3.")
            .arg(fileName)
            .arg(file.size())
            .arg(MaxFileBytes);
    return channelsOf(file.readAll(), channels);
}

QString PresetFile::channelsOf(const QByteArray &json, QList<ChannelPreset> *channels)
{
    channels->clear();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return QStringLiteral("Wrong data. The presets file is not valid JSON: %1 at byte %2.")
            .arg(parseError.errorString())
            .arg(parseError.offset);
    const QJsonObject root = document.object();
    if (!root.contains(DataKey))
        return QStringLiteral("Wrong data. Missed \"data\" member.");
    if (!root.value(DataKey).isArray())
        return QStringLiteral("Wrong data. The \"data\" member is not a list of modules.");
    for (const QJsonValue &element : root.value(DataKey).toArray()) {
        const QJsonObject module = element.toObject();
        const int type = int(numberOf(module.value(QLatin1String("type")), -1));
        if (type != DataProviderList::DeviceTypeSspdM0 && type != DataProviderList::DeviceTypeSspdM1)
            continue;
        ChannelPreset preset;
        const double address = numberOf(module.value(QLatin1String("address")), 0);
        preset.current = numberOf(module.value(QLatin1String("current")), 0);
        preset.level = numberOf(module.value(QLatin1String("cmp_ref_level")), 0);
        // A channel that cannot exist or a value no module can take is not applied.
        if (address < 0 || address > MaxBusAddress || address != int(address) || !qIsFinite(preset.current) ||
            !qIsFinite(preset.level))
            continue;
        preset.address = int(address);
        channels->append(preset);
    }
    return {};
}
