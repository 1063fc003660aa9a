#pragma once

// Wire records of the SIS bias-source module. Each record travels as its little-endian memory
// image: members naturally aligned, padding bytes included. Currents are in A, voltages in V.

#include "RecordFlagBytes.h"
#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/// Measured values of the bias source, 12 bytes.
struct VT4BSM0_Data_t
{
    float current;            ///< junction current, A
    float voltage;            ///< junction voltage, V
    bool shortEnable;         ///< junction shorted
    char mode;                ///< source mode byte (VT4BSM0_Mode)
    std::uint8_t reserved[2]; ///< padding, not interpreted
};

/// Values of the source mode byte.
enum VT4BSM0_Mode : char
{
    VT4BSM0_ModeVoltageBias = 0, ///< the voltage is set, the current follows the junction
    VT4BSM0_ModeCurrentBias = 1, ///< the current is set, the voltage follows the junction
};

/// Calibration constants kept in the module's EEPROM, 60 bytes. A limits pair holds the two
/// ends of the allowed range in either order.
struct VT4BSM0V0_EEPROM_Const_t
{
    pair_t<float> currentAdcCoeff;  ///< current read-out (slope, intercept)
    pair_t<float> voltageAdcCoeff;  ///< voltage read-out
    pair_t<float> currentDacCoeff;  ///< current set point
    pair_t<float> voltageDacCoeff;  ///< voltage set point
    pair_t<float> currentLimits;    ///< allowed current set points, A
    pair_t<float> voltageLimits;    ///< allowed voltage set points, V
    float currentStep;              ///< smallest current step, A
    float voltageStep;              ///< smallest voltage step, V
    float currentMonitorResistance; ///< current monitor resistor, Ω
};

/// The module's own sweep, 20 bytes: the set point (voltage or current, after `mode`) moves
/// from `start` to `stop` in steps of `step`, one step every `dwell` seconds.
struct VT4BSM0_SWEEP_PARAMS_t
{
    float start;              ///< first set point, V or A
    float stop;               ///< last set point, V or A
    float step;               ///< step between set points, V or A (sign ignored)
    float dwell;              ///< time per point, s
    char mode;                ///< VT4BSM0_Mode of the swept quantity
    std::uint8_t reserved[3]; ///< padding, not interpreted
};

static_assert(std::is_trivially_copyable_v<VT4BSM0_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4BSM0V0_EEPROM_Const_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4BSM0_SWEEP_PARAMS_t>, "records travel by memory image");

static_assert(sizeof(VT4BSM0_Data_t) == 12, "VT4BSM0_Data_t is 12 bytes");
static_assert(offsetof(VT4BSM0_Data_t, current) == 0, "Data.current at 0");
static_assert(offsetof(VT4BSM0_Data_t, voltage) == 4, "Data.voltage at 4");
static_assert(offsetof(VT4BSM0_Data_t, shortEnable) == 8, "Data.shortEnable at 8");
static_assert(offsetof(VT4BSM0_Data_t, mode) == 9, "Data.mode at 9");
static_assert(offsetof(VT4BSM0_Data_t, reserved) == 10, "Data padding at 10");

static_assert(sizeof(VT4BSM0V0_EEPROM_Const_t) == 60, "VT4BSM0V0_EEPROM_Const_t is 60 bytes");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, currentAdcCoeff) == 0, "EEPROM.currentAdcCoeff at 0");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, voltageAdcCoeff) == 8, "EEPROM.voltageAdcCoeff at 8");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, currentDacCoeff) == 16, "EEPROM.currentDacCoeff at 16");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, voltageDacCoeff) == 24, "EEPROM.voltageDacCoeff at 24");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, currentLimits) == 32, "EEPROM.currentLimits at 32");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, voltageLimits) == 40, "EEPROM.voltageLimits at 40");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, currentStep) == 48, "EEPROM.currentStep at 48");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, voltageStep) == 52, "EEPROM.voltageStep at 52");
static_assert(offsetof(VT4BSM0V0_EEPROM_Const_t, currentMonitorResistance) == 56,
              "EEPROM.currentMonitorResistance at 56");

static_assert(sizeof(VT4BSM0_SWEEP_PARAMS_t) == 20, "VT4BSM0_SWEEP_PARAMS_t is 20 bytes");

template <> struct RecordFlagBytes<VT4BSM0_Data_t>
{
    static constexpr std::array<std::size_t, 1> offsets{offsetof(VT4BSM0_Data_t, shortEnable)};
};

Q_DECLARE_METATYPE(VT4BSM0_Data_t)
Q_DECLARE_METATYPE(VT4BSM0V0_EEPROM_Const_t)
Q_DECLARE_METATYPE(VT4BSM0_SWEEP_PARAMS_t)
