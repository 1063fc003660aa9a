#include "CrateDescription.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>

namespace {
constexpr int MaxBusAddress = 255;
constexpr double MicroampsPerAmp = 1e6;
constexpr int RelayCount = 4;
const char *const BuiltInCratePath = ":/crates/default.json";
const QString DefaultModuleType = QStringLiteral("VT4SDM0");

bool readNumber(const QJsonObject &entry, const QString &key, double low, double high, double *value)
{
    if (!entry.contains(key))
        return true;
    const QJsonValue json = entry.value(key);
    if (!json.isDouble() || json.toDouble() < low || json.toDouble() > high)
        return false;
    *value = json.toDouble();
    return true;
}

/// Relay numbers 1..4 as state bits; absent means none.
bool readStuckRelays(const QJsonObject &entry, quint8 *bits)
{
    const QJsonValue json = entry.value(QStringLiteral("stuckRelays"));
    if (json.isUndefined())
        return true;
    if (!json.isArray())
        return false;
    for (const QJsonValue &relay : json.toArray()) {
        const int number = relay.toInt(0);
        if (!relay.isDouble() || relay.toDouble() != number || number < 1 || number > RelayCount)
            return false;
        *bits |= static_cast<quint8>(1u << (number - 1));
    }
    return true;
}

std::optional<ModuleDescription> parseModule(const QJsonObject &entry, QString *error)
{
    ModuleDescription module;
    const QJsonValue address = entry.value(QStringLiteral("address"));
    if (!address.isDouble() || address.toDouble() != address.toInt() || address.toInt() < 0 ||
        address.toInt() > MaxBusAddress) {
        *error = QStringLiteral("\"address\" must be an integer 0..255");
        return std::nullopt;
    }
    module.address = address.toInt();
    module.type = entry.value(QStringLiteral("type")).toString();
    if (module.type.isEmpty()) {
        *error = QStringLiteral("\"type\" is missing");
        return std::nullopt;
    }
    module.description = entry.value(QStringLiteral("Description")).toString();
    module.firmware = entry.value(QStringLiteral("Firmware")).toString();
    module.hardware = entry.value(QStringLiteral("Hardware")).toString();
    module.modification = entry.value(QStringLiteral("Modification")).toString();
    module.udid = entry.contains(QStringLiteral("UDID"))
                      ? CrateDescription::udidFromText(entry.value(QStringLiteral("UDID")).toString())
                      : CrateDescription::defaultModule(module.address).udid;
    if (module.udid.isEmpty()) {
        *error = QStringLiteral("\"UDID\" must be 24 hex digits");
        return std::nullopt;
    }

    double criticalCurrentUa = module.criticalCurrent * MicroampsPerAmp;
    double seed = 0;
    double startBiasUa = 0;
    if (!readNumber(entry, QStringLiteral("criticalCurrentUa"), 0.1, 1000, &criticalCurrentUa) ||
        !readNumber(entry, QStringLiteral("startBiasUa"), 0, 100, &startBiasUa) ||
        !readNumber(entry, QStringLiteral("lightLevelCps"), 0, 1e9, &module.lightLevel) ||
        !readNumber(entry, QStringLiteral("darkCountsCps"), 0, 1e9, &module.darkCountsAtCritical) ||
        !readNumber(entry, QStringLiteral("seed"), 0, 9e15, &seed)) {
        *error = QStringLiteral("a physics setting is not a number in its range");
        return std::nullopt;
    }
    if (!readStuckRelays(entry, &module.stuckRelays)) {
        *error = QStringLiteral("\"stuckRelays\" must be a list of relay numbers 1..4");
        return std::nullopt;
    }
    module.criticalCurrent = criticalCurrentUa / MicroampsPerAmp;
    module.seed = static_cast<quint64>(seed);
    module.startBias = startBiasUa / MicroampsPerAmp;
    return module;
}
} // namespace

CrateDescription CrateDescription::builtIn()
{
    QString error;
    const auto description = fromFile(QString::fromLatin1(BuiltInCratePath), &error);
    Q_ASSERT_X(description, "CrateDescription::builtIn", qPrintable(error));
    return description.value_or(CrateDescription{});
}

std::optional<CrateDescription> CrateDescription::fromFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (!document.isObject()) {
        *error = QStringLiteral("%1 is not a JSON object (%2 at offset %3)")
                     .arg(path, parseError.errorString())
                     .arg(parseError.offset);
        return std::nullopt;
    }
    auto description = fromJson(document.object(), error);
    if (!description)
        *error = QStringLiteral("%1: %2").arg(path, *error);
    return description;
}

std::optional<CrateDescription> CrateDescription::fromJson(const QJsonObject &object, QString *error)
{
    const QJsonValue modules = object.value(QStringLiteral("modules"));
    if (!modules.isArray()) {
        *error = QStringLiteral("\"modules\" must be an array");
        return std::nullopt;
    }
    CrateDescription description;
    const QJsonArray entries = modules.toArray();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        auto module = entries.at(i).isObject() ? parseModule(entries.at(i).toObject(), error) : std::nullopt;
        if (!module) {
            *error = QStringLiteral("module entry %1: %2")
                         .arg(i)
                         .arg(entries.at(i).isObject() ? *error : QStringLiteral("not an object"));
            return std::nullopt;
        }
        if (description.module(module->address)) {
            *error = QStringLiteral("module entry %1: address %2 is used twice").arg(i).arg(module->address);
            return std::nullopt;
        }
        description.m_modules.append(*module);
    }
    return description;
}

ModuleDescription CrateDescription::defaultModule(int address)
{
    // An identifier no described module is likely to use: "VT" "SIM", then the address.
    static const QByteArray UdidStem = QByteArray::fromHex("5654"
                                                           "53494d"
                                                           "000000000000");
    ModuleDescription module;
    module.address = address;
    module.type = DefaultModuleType;
    module.description = QStringLiteral("SSPD driver");
    module.firmware = QStringLiteral("1.4.2");
    module.hardware = QStringLiteral("2.1");
    module.modification = QStringLiteral("0");
    module.udid = UdidStem + QByteArray(1, static_cast<char>(address));
    return module;
}

QString CrateDescription::udidToText(const QByteArray &udid)
{
    const QString hex = QString::fromLatin1(udid.toHex().toUpper());
    QStringList groups;
    for (qsizetype i = 0; i < hex.size(); i += 4)
        groups << hex.mid(i, 4);
    return groups.join(QLatin1Char('-'));
}

QByteArray CrateDescription::udidFromText(const QString &text)
{
    static const QRegularExpression HexDigits(QStringLiteral("^[0-9A-Fa-f]{24}$"));
    QString digits = text;
    digits.remove(QLatin1Char('-'));
    if (!HexDigits.match(digits).hasMatch())
        return {};
    return QByteArray::fromHex(digits.toLatin1());
}

std::optional<ModuleDescription> CrateDescription::module(int address) const
{
    for (const ModuleDescription &module : m_modules) {
        if (module.address == address)
            return module;
    }
    return std::nullopt;
}
