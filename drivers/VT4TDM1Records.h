#pragma once

// Values of the temperature module, modification 1 (four sensor channels and relays). Table
// points are those of modification 0. In-memory layouts are checked here; where the bus form
// differs (the default parameters), the conversion lives next to the record.

#include "VT4TDM0Records.h"
#include "cRelaysStatus.h"
#include "pair_t.h"

#include <QByteArray>
#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

/// Sensor channels, numbered 0..3.
constexpr int VT4TDM1_Channels = 4;
/// Channel byte that addresses every channel at once.
constexpr unsigned char VT4TDM1_AllChannels = 0xFF;

namespace cmd {
/// Switcher mode of the module, 4 bytes on the bus. The module firmware defines the values;
/// the program only passes them through.
enum enum_VT4TDM1_SwitcherMode : std::int32_t
{
};
} // namespace cmd

/// A channel's default parameter: 8 bytes in memory, 5 on the bus (flag byte 0/1, then the float).
struct DefaultParam
{
    bool flag;
    float value;

    static constexpr int WireSize = 5; ///< bytes per channel on the bus

    void appendWireImage(QByteArray &bytes) const
    {
        bytes.append(flag ? '\1' : '\0');
        bytes.append(reinterpret_cast<const char *>(&value), sizeof value);
    }
    /// Reads WireSize bytes at `wire`; any non-zero flag byte reads as true.
    static DefaultParam fromWireImage(const char *wire)
    {
        DefaultParam param{wire[0] != '\0', 0.0f};
        std::memcpy(&param.value, wire + 1, sizeof param.value);
        return param;
    }
};

/// A channel's calibration coefficients, 16 bytes: two pairs sent in this order.
struct TDM1_EepromCoeff
{
    pair_t<float> first;
    pair_t<float> second;
};

static_assert(sizeof(cmd::enum_VT4TDM1_SwitcherMode) == 4, "the switcher mode travels as 4 bytes");
static_assert(std::is_trivially_copyable_v<DefaultParam>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<TDM1_EepromCoeff>, "records travel by memory image");

static_assert(sizeof(DefaultParam) == 8, "DefaultParam is 8 bytes in memory");
static_assert(offsetof(DefaultParam, flag) == 0, "DefaultParam.flag at 0");
static_assert(offsetof(DefaultParam, value) == 4, "DefaultParam.value at 4");

static_assert(sizeof(TDM1_EepromCoeff) == 16, "TDM1_EepromCoeff is 16 bytes");
static_assert(offsetof(TDM1_EepromCoeff, first) == 0, "EepromCoeff.first at 0");
static_assert(offsetof(TDM1_EepromCoeff, second) == 8, "EepromCoeff.second at 8");

Q_DECLARE_METATYPE(cmd::enum_VT4TDM1_SwitcherMode)
Q_DECLARE_METATYPE(DefaultParam)
Q_DECLARE_METATYPE(TDM1_EepromCoeff)
