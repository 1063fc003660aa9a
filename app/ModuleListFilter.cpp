#include "ModuleListFilter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>
#include <QSet>

#include <cmath>

namespace {
const QChar Ellipsis(0x2026);
const char *const TextKeys[] = {"type", "Description", "Firmware", "Hardware", "Modification", "UDID"};
constexpr int MaxShownValueLength = 24; ///< of an address that is not one, in a note

/// An address as the note shows it: numbers as JSON writes them, anything else short.
QString shownValue(const QJsonValue &value)
{
    if (value.isUndefined())
        return QStringLiteral("(none)");
    const QString text =
        value.isString() ? value.toString()
                         : QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact))
                               .mid(1)
                               .chopped(1);
    return text.size() > MaxShownValueLength ? text.left(MaxShownValueLength - 1) + Ellipsis : text;
}
} // namespace

bool ModuleListFilter::busAddress(const QJsonValue &value, int *address)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    if (!std::isfinite(number) || number != std::floor(number) || number < 0 || number > MaxBusAddress)
        return false;
    *address = static_cast<int>(number);
    return true;
}

QString ModuleListFilter::boundedText(const QString &text)
{
    return text.size() > MaxTextLength ? text.left(MaxTextLength - 1) + Ellipsis : text;
}

ModuleListFilter::Result ModuleListFilter::filter(const QJsonObject &list)
{
    Result result;
    result.list = list;
    if (list.isEmpty())
        return result; // a reply that is no list stays empty, which reports the failure
    const int count = list.value(QLatin1String("count")).toInt(-1);
    const QJsonArray info = list.value(QLatin1String("info")).toArray();
    QJsonArray kept;
    QSet<int> seen;
    QMap<int, int> repeats; ///< address to entries skipped for it
    for (int i = 0; i < count && i < info.size(); ++i) {
        if (!info.at(i).isObject())
            continue;
        QJsonObject entry = info.at(i).toObject();
        const QJsonValue addressValue = entry.value(QLatin1String("address"));
        int address = -1;
        if (!busAddress(addressValue, &address)) {
            result.skipped << QStringLiteral("%1 (not a bus address)").arg(shownValue(addressValue));
            continue;
        }
        if (seen.contains(address)) {
            ++repeats[address];
            continue;
        }
        seen.insert(address);
        for (const char *key : TextKeys) {
            const QJsonValue text = entry.value(QLatin1String(key));
            if (text.isString() && text.toString().size() > MaxTextLength)
                entry.insert(QLatin1String(key), boundedText(text.toString()));
        }
        kept.append(entry);
    }
    for (auto it = repeats.cbegin(); it != repeats.cend(); ++it)
        result.skipped << QStringLiteral("%1 (listed %2 times)").arg(it.key()).arg(it.value() + 1);
    result.list.insert(QLatin1String("count"), kept.size());
    result.list.insert(QLatin1String("info"), kept);
    return result;
}
