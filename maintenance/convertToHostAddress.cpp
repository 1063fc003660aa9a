#include "convertToHostAddress.h"

#include <QStringList>

namespace {
constexpr int Ipv4Parts = 4;
constexpr uint MaxOctet = 255;
} // namespace

QHostAddress convertToHostAddress(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
    if (parts.size() == Ipv4Parts) {
        quint32 value = 0;
        bool allDecimal = true;
        for (const QString &part : parts) {
            bool ok = false;
            const uint octet = part.toUInt(&ok, 10);
            // An octet above 255 would carry into its neighbour and name another host.
            if (!ok || octet > MaxOctet) {
                allDecimal = false;
                break;
            }
            value = value * 256 + octet;
        }
        if (allDecimal)
            return QHostAddress(value);
    }
    return QHostAddress(text);
}
