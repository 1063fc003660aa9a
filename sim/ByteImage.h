#pragma once

#include <QByteArray>
#include <cstring>
#include <optional>
#include <type_traits>

/// Module values travel as the little-endian memory image of their type (this simulator, like
/// the modules, runs on little-endian machines).
namespace ByteImage {

template <typename T> QByteArray of(const T &value)
{
    static_assert(std::is_trivially_copyable_v<T>, "only plain values have a byte image");
    return QByteArray(reinterpret_cast<const char *>(&value), sizeof value);
}

/// The value whose image `bytes` is; nothing unless the size is exactly right.
template <typename T> std::optional<T> to(const QByteArray &bytes)
{
    static_assert(std::is_trivially_copyable_v<T>, "only plain values have a byte image");
    if (bytes.size() != static_cast<qsizetype>(sizeof(T)))
        return std::nullopt;
    T value;
    std::memcpy(&value, bytes.constData(), sizeof value);
    return value;
}

/// The reply of a setter: the empty acknowledgement when the value was taken, otherwise none.
inline std::optional<QByteArray> acknowledgement(bool taken)
{
    return taken ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
}

/// A setter of a whole value: `apply` gets the value whose image `bytes` is, and the empty
/// acknowledgement comes back; nothing (no acknowledgement) when the size is wrong.
template <typename T, typename Apply> std::optional<QByteArray> apply(const QByteArray &bytes, Apply apply)
{
    const std::optional<T> value = to<T>(bytes);
    if (!value)
        return std::nullopt;
    apply(*value);
    return QByteArray();
}

} // namespace ByteImage
