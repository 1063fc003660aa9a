#pragma once

// Wire records of the SIS control-line module. Each record travels as its little-endian memory
// image: members naturally aligned, padding bytes included.

#include "RecordFlagBytes.h"
#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/// Measured values of the control line, 8 bytes.
struct VT4CLM0V0_Data_t
{
    float current;            ///< control-line current, A
    bool shortEnable;         ///< line shorted
    std::uint8_t reserved[3]; ///< padding, not interpreted
};

/// Calibration constants kept in the module's EEPROM, 28 bytes. The limits pair holds the two
/// ends of the allowed range in either order.
struct VT4CLM0V0_EEPROM_Const_t
{
    pair_t<float> currentAdcCoeff; ///< current read-out (slope, intercept)
    pair_t<float> currentDacCoeff; ///< current set point
    pair_t<float> currentLimits;   ///< allowed current set points, A
    float currentStep;             ///< smallest current step, A
};

static_assert(std::is_trivially_copyable_v<VT4CLM0V0_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4CLM0V0_EEPROM_Const_t>, "records travel by memory image");

static_assert(sizeof(VT4CLM0V0_Data_t) == 8, "VT4CLM0V0_Data_t is 8 bytes");
static_assert(offsetof(VT4CLM0V0_Data_t, current) == 0, "Data.current at 0");
static_assert(offsetof(VT4CLM0V0_Data_t, shortEnable) == 4, "Data.shortEnable at 4");
static_assert(offsetof(VT4CLM0V0_Data_t, reserved) == 5, "Data padding at 5");

static_assert(sizeof(VT4CLM0V0_EEPROM_Const_t) == 28, "VT4CLM0V0_EEPROM_Const_t is 28 bytes");
static_assert(offsetof(VT4CLM0V0_EEPROM_Const_t, currentAdcCoeff) == 0, "EEPROM.currentAdcCoeff at 0");
static_assert(offsetof(VT4CLM0V0_EEPROM_Const_t, currentDacCoeff) == 8, "EEPROM.currentDacCoeff at 8");
static_assert(offsetof(VT4CLM0V0_EEPROM_Const_t, currentLimits) == 16, "EEPROM.currentLimits at 16");
static_assert(offsetof(VT4CLM0V0_EEPROM_Const_t, currentStep) == 24, "EEPROM.currentStep at 24");

template <> struct RecordFlagBytes<VT4CLM0V0_Data_t>
{
    static constexpr std::array<std::size_t, 1> offsets{offsetof(VT4CLM0V0_Data_t, shortEnable)};
};

Q_DECLARE_METATYPE(VT4CLM0V0_Data_t)
Q_DECLARE_METATYPE(VT4CLM0V0_EEPROM_Const_t)
