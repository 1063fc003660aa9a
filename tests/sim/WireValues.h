#pragma once

#include <QByteArray>
#include <cstring>

/// Module values as they travel: little-endian memory images, built here by hand so the tests
/// do not use the simulator's own encoding.
namespace WireValues {

inline QByteArray floatImage(float value)
{
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

/// The float whose image `bytes` is; 0 unless there are exactly 4 bytes.
inline float floatFrom(const QByteArray &bytes)
{
    float value = 0;
    if (bytes.size() == sizeof value)
        std::memcpy(&value, bytes.constData(), sizeof value);
    return value;
}

/// The `index`-th float of `bytes`.
inline float floatAt(const QByteArray &bytes, int index)
{
    return floatFrom(bytes.mid(index * int(sizeof(float)), sizeof(float)));
}

} // namespace WireValues
