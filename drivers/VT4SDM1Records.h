#pragma once

// Wire records of the SSPD driver module, modification 1. Each record travels as its
// little-endian memory image: members naturally aligned, padding bytes included.

#include "StatusByte.h"
#include "VT4SDM0Records.h"
#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/// Status flag byte of the module, bit 0 first; as modification 0 except bit 3, the
/// high-frequency mode. Operating: bits 1, 2, 4, 5 read short off, amplifier, comparator,
/// counter on; the high-frequency mode does not matter.
struct VT4SDM1_Status_t : StatusByte<VT4SDM1_Status_t, 0x36, 0x34>
{
    std::uint8_t inited : 1;                  ///< bit 0: module initialised
    std::uint8_t shortEnable : 1;             ///< bit 1: detector shorted
    std::uint8_t amplifierEnable : 1;         ///< bit 2: pulse amplifier on
    std::uint8_t highFrequencyModeEnable : 1; ///< bit 3: high-frequency mode on
    std::uint8_t cmpLatchEnable : 1;          ///< bit 4: comparator on
    std::uint8_t counterEnable : 1;           ///< bit 5: pulse counter on
    std::uint8_t autoResetEnable : 1;         ///< bit 6: automatic reset on
    std::uint8_t error : 1;                   ///< bit 7: module reports an error
};

/// All measured values in one record, 20 bytes.
struct VT4SDM1_Data_t
{
    float current;            ///< bias current, A
    float currentMonitor;     ///< independently monitored bias current, A
    float voltage;            ///< detector voltage, V
    float counts;             ///< pulses counted in the last time-constant interval
    VT4SDM1_Status_t status;  ///< status flags
    std::uint8_t reserved[3]; ///< padding, not interpreted
};

/// Counting and auto-reset parameters: the same 20-byte record as modification 0.
using VT4SDM1_Param_t = VT4SDM0V1_Param_t;

/// Calibration constants kept in the module's EEPROM, 44 bytes; each pair is (slope, intercept).
/// The comparator pair follows the pulse-width float.
struct VT4SDM1_EEPROM_Const_t
{
    pair_t<float> currentAdcCoeff;        ///< bias-current read-out
    pair_t<float> voltageAdcCoeff;        ///< voltage read-out
    pair_t<float> currentDacCoeff;        ///< bias-current set point
    pair_t<float> currentMonitorAdcCoeff; ///< current-monitor read-out
    float pulseWidthCoeff;                ///< pulse-width coefficient
    pair_t<float> cmpReferenceCoeff;      ///< comparator trigger level
};

static_assert(std::is_trivially_copyable_v<VT4SDM1_Status_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4SDM1_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4SDM1_EEPROM_Const_t>, "records travel by memory image");

static_assert(sizeof(VT4SDM1_Status_t) == 1, "status is one byte");

static_assert(sizeof(VT4SDM1_Data_t) == 20, "VT4SDM1_Data_t is 20 bytes");
static_assert(offsetof(VT4SDM1_Data_t, current) == 0, "Data.current at 0");
static_assert(offsetof(VT4SDM1_Data_t, currentMonitor) == 4, "Data.currentMonitor at 4");
static_assert(offsetof(VT4SDM1_Data_t, voltage) == 8, "Data.voltage at 8");
static_assert(offsetof(VT4SDM1_Data_t, counts) == 12, "Data.counts at 12");
static_assert(offsetof(VT4SDM1_Data_t, status) == 16, "Data.status at 16");
static_assert(offsetof(VT4SDM1_Data_t, reserved) == 17, "Data padding at 17");

static_assert(sizeof(VT4SDM1_EEPROM_Const_t) == 44, "VT4SDM1_EEPROM_Const_t is 44 bytes");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, currentAdcCoeff) == 0, "EEPROM.currentAdcCoeff at 0");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, voltageAdcCoeff) == 8, "EEPROM.voltageAdcCoeff at 8");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, currentDacCoeff) == 16, "EEPROM.currentDacCoeff at 16");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, currentMonitorAdcCoeff) == 24,
              "EEPROM.currentMonitorAdcCoeff at 24");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, pulseWidthCoeff) == 32, "EEPROM.pulseWidthCoeff at 32");
static_assert(offsetof(VT4SDM1_EEPROM_Const_t, cmpReferenceCoeff) == 36, "EEPROM.cmpReferenceCoeff at 36");

Q_DECLARE_METATYPE(VT4SDM1_Status_t)
Q_DECLARE_METATYPE(VT4SDM1_Data_t)
Q_DECLARE_METATYPE(VT4SDM1_EEPROM_Const_t)
