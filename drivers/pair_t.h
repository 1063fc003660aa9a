#pragma once

#include <QMetaType>
#include <cstddef>

/// Two values of one type, in this order on the wire. Calibration pairs hold
/// (slope, intercept) of a straight line that a module applies to raw converter codes.
template <typename T> struct pair_t
{
    T first;
    T second;
};

template <typename T> bool operator==(const pair_t<T> &a, const pair_t<T> &b)
{
    return a.first == b.first && a.second == b.second;
}

template <typename T> bool operator!=(const pair_t<T> &a, const pair_t<T> &b)
{
    return !(a == b);
}

static_assert(sizeof(pair_t<float>) == 8, "pair_t<float> travels as 8 bytes");
static_assert(offsetof(pair_t<float>, first) == 0, "pair_t<float>::first at offset 0");
static_assert(offsetof(pair_t<float>, second) == 4, "pair_t<float>::second at offset 4");

Q_DECLARE_METATYPE(pair_t<float>)
