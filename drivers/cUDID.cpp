#include "cUDID.h"

#include <QStringList>
#include <cstring>

namespace {
constexpr int BytesPerGroup = 2; // four hex digits
}

QString cUDID::toDisplayString() const
{
    QStringList groups;
    for (int i = 0; i < Size; i += BytesPerGroup) {
        const QByteArray group(reinterpret_cast<const char *>(bytes + i), BytesPerGroup);
        groups << QString::fromLatin1(group.toHex().toUpper());
    }
    return groups.join(QLatin1Char('-'));
}

bool operator==(const cUDID &a, const cUDID &b)
{
    return std::memcmp(a.bytes, b.bytes, cUDID::Size) == 0;
}
