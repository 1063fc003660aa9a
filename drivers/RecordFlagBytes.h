#pragma once

#include <array>
#include <cstddef>

/// Offsets of the flag bytes (C++ bool members) in a record's memory image. A module may send
/// any non-zero byte for "on"; copying such a byte into a bool is undefined behaviour, so the
/// decoder turns every flag byte into 0 or 1 first. Records with flags specialise this next to
/// their definition.
template <typename T> struct RecordFlagBytes
{
    static constexpr std::array<std::size_t, 0> offsets{};
};
