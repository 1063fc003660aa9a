#pragma once

#include <QMetaType>
#include <QString>
#include <cstdint>

/// A module's 96-bit unique identifier: 12 raw bytes in the order the module sends them.
/// It travels by its byte image, so the class holds nothing else.
class cUDID
{
public:
    static constexpr int Size = 12; ///< bytes

    std::uint8_t bytes[Size];

    /// 24 upper-case hex digits in six groups of four joined by "-", e.g. "0011-2233-...".
    QString toDisplayString() const;
};

bool operator==(const cUDID &a, const cUDID &b);
inline bool operator!=(const cUDID &a, const cUDID &b)
{
    return !(a == b);
}

static_assert(sizeof(cUDID) == cUDID::Size, "cUDID travels as exactly 12 bytes");

Q_DECLARE_METATYPE(cUDID)
