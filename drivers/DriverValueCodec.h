#pragma once

#include "DriverProperty_p.h"
#include "RecordFlagBytes.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstring>
#include <type_traits>

/// The byte image a module value travels as: exactly sizeof(T) bytes of its little-endian
/// memory image. Fewer bytes (nothing received yet) decode as all-zero bytes; flag bytes decode
/// as "non-zero is on".
template <typename T> struct DriverValueCodec
{
    static_assert(std::is_trivially_copyable_v<T>, "module values travel by their memory image");
    static constexpr qsizetype Size = sizeof(T);

    static QByteArray encode(const T &value)
    {
        return QByteArray(reinterpret_cast<const char *>(&value), Size);
    }
    static T decode(const QByteArray &bytes)
    {
        unsigned char image[sizeof(T)] = {};
        if (bytes.size() >= Size)
            std::copy_n(bytes.constBegin(), sizeof(T), image);
        for (const std::size_t offset : RecordFlagBytes<T>::offsets)
            image[offset] = image[offset] != 0 ? 1 : 0;
        T value;
        std::memcpy(static_cast<void *>(&value), image, sizeof(T));
        return value;
    }
};

/// One byte, 0 or 1 on the wire; any non-zero byte from a module reads as true.
template <> struct DriverValueCodec<bool>
{
    static constexpr qsizetype Size = 1;

    static QByteArray encode(bool value) { return QByteArray(1, value ? '\1' : '\0'); }
    static bool decode(const QByteArray &bytes) { return !bytes.isEmpty() && bytes.at(0) != '\0'; }
};

/// Text: UTF-8 of all received bytes, any length.
template <> struct DriverValueCodec<QString>
{
    static constexpr qsizetype Size = DriverProperty_p::AnyLength;

    static QByteArray encode(const QString &value) { return value.toUtf8(); }
    static QString decode(const QByteArray &bytes) { return QString::fromUtf8(bytes); }
};
