#include "PresetFile.h"
#include "AtomicFileWriter.h"
#include "BoundedFileReader.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"
#include "ParameterLimits.h"

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
    QByteArray json;
    const QString error = BoundedFileReader::read(fileName, MaxFileBytes, &json);
    return error.isEmpty() ? channelsOf(json, channels) : error;
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
        // A channel that cannot exist is not applied; values are checked against the module's
        // limits before they are applied (keepWithinLimits).
        if (address < 0 || address > MaxBusAddress || address != int(address))
            continue;
        preset.address = int(address);
        preset.type = type;
        channels->append(preset);
    }
    return {};
}

QString PresetFile::keepWithinLimits(QList<ChannelPreset> *channels, const QList<DataProviderItem> &modules)
{
    QStringList refused;
    QList<ChannelPreset> kept;
    for (const ChannelPreset &channel : std::as_const(*channels)) {
        // The module as listed, or one of the file's type where the crate has no such module.
        DataProviderItem module;
        module.append(QStringLiteral("type"), channel.type);
        for (const DataProviderItem &item : modules) {
            if (item.byName(QStringLiteral("address")).toInt() == channel.address)
                module = item;
        }
        QStringList reasons{ParameterLimits::check(module, QStringLiteral("current"), channel.current),
                            ParameterLimits::check(module, QStringLiteral("cmp_ref_level"), channel.level)};
        reasons.removeAll(QString());
        if (reasons.isEmpty())
            kept << channel;
        else
            refused
                << QStringLiteral("SSPD %1: %2").arg(channel.address).arg(reasons.join(QStringLiteral("; ")));
    }
    *channels = kept;
    if (refused.isEmpty())
        return {};
    return QStringLiteral("Not restored, outside the module's limits:\n%1")
        .arg(refused.join(QLatin1Char('\n')));
}
