#pragma once

// Wire records of the heater module. Each record travels as its little-endian memory image:
// members naturally aligned, padding bytes included.

#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/// Measured values of the heater module, 8 bytes.
struct VT4HTM0V0_Data_t
{
    char relayStatus;         ///< relay output state byte
    char mode;                ///< operating mode byte
    std::uint8_t reserved[2]; ///< padding, not interpreted
    float current;            ///< heater current, A
};

/// Calibration and heating-pulse shape kept in the module's EEPROM, 32 bytes.
struct VT4HT0V0_EEPROM_Const_t
{
    pair_t<float> currentAdcCoeff; ///< current read-out (slope, intercept)
    pair_t<float> currentDacCoeff; ///< current set point (slope, intercept)
    float maximumCurrent;          ///< plateau current of the pulse, A
    float frontEdgeTime;           ///< rise time of the pulse, s
    float holdTime;                ///< time the plateau is held, s
    float rearEdgeTime;            ///< fall time of the pulse, s
};

static_assert(std::is_trivially_copyable_v<VT4HTM0V0_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4HT0V0_EEPROM_Const_t>, "records travel by memory image");

static_assert(sizeof(VT4HTM0V0_Data_t) == 8, "VT4HTM0V0_Data_t is 8 bytes");
static_assert(offsetof(VT4HTM0V0_Data_t, relayStatus) == 0, "Data.relayStatus at 0");
static_assert(offsetof(VT4HTM0V0_Data_t, mode) == 1, "Data.mode at 1");
static_assert(offsetof(VT4HTM0V0_Data_t, reserved) == 2, "Data padding at 2");
static_assert(offsetof(VT4HTM0V0_Data_t, current) == 4, "Data.current at 4");

static_assert(sizeof(VT4HT0V0_EEPROM_Const_t) == 32, "VT4HT0V0_EEPROM_Const_t is 32 bytes");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, currentAdcCoeff) == 0, "EEPROM.currentAdcCoeff at 0");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, currentDacCoeff) == 8, "EEPROM.currentDacCoeff at 8");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, maximumCurrent) == 16, "EEPROM.maximumCurrent at 16");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, frontEdgeTime) == 20, "EEPROM.frontEdgeTime at 20");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, holdTime) == 24, "EEPROM.holdTime at 24");
static_assert(offsetof(VT4HT0V0_EEPROM_Const_t, rearEdgeTime) == 28, "EEPROM.rearEdgeTime at 28");

Q_DECLARE_METATYPE(VT4HTM0V0_Data_t)
Q_DECLARE_METATYPE(VT4HT0V0_EEPROM_Const_t)
