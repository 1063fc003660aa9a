#pragma once

// Wire records of the SSPD driver module, modification 0. Each record travels as its
// little-endian memory image: members naturally aligned, padding bytes included.

#include "StatusByte.h"
#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

/// Status flag byte of the module, bit 0 first. Bit-fields of an unsigned char are
/// allocated from the least significant bit on the little-endian targets we build for.
/// Operating: bits 1..5 read short off, amplifier, RF key, comparator, counter on.
struct VT4SDM0_Status_t : StatusByte<VT4SDM0_Status_t, 0x3E, 0x3C>
{
    std::uint8_t inited : 1;          ///< bit 0: module initialised
    std::uint8_t shortEnable : 1;     ///< bit 1: detector shorted
    std::uint8_t amplifierEnable : 1; ///< bit 2: pulse amplifier on
    std::uint8_t rfKeyEnable : 1;     ///< bit 3: RF output routed to the comparator
    std::uint8_t cmpLatchEnable : 1;  ///< bit 4: comparator on
    std::uint8_t counterEnable : 1;   ///< bit 5: pulse counter on
    std::uint8_t autoResetEnable : 1; ///< bit 6: automatic reset on
    std::uint8_t error : 1;           ///< bit 7: module reports an error
};

/// All measured values in one record, 16 bytes.
struct VT4SDM0V1_Data_t
{
    float current;            ///< measured bias current, A
    float voltage;            ///< detector voltage, V
    float counts;             ///< pulses counted in the last time-constant interval
    VT4SDM0_Status_t status;  ///< status flags
    std::uint8_t reserved[3]; ///< padding, not interpreted
};

/// Counting and auto-reset parameters, 20 bytes.
struct VT4SDM0V1_Param_t
{
    float cmpReferenceLevel;             ///< comparator trigger level, V
    float timeConst;                     ///< counting interval, s
    float autoResetThreshold;            ///< auto-reset voltage threshold, V
    float autoResetTimeOut;              ///< auto-reset time-out, s
    std::uint32_t autoResetAlarmsCounts; ///< number of auto-reset events
};

/// Calibration constants kept in the module's EEPROM, 32 bytes; each pair is (slope, intercept).
struct VT4SDM0V1_EEPROM_Const_t
{
    pair_t<float> currentAdcCoeff;   ///< bias-current read-out
    pair_t<float> voltageAdcCoeff;   ///< voltage read-out
    pair_t<float> currentDacCoeff;   ///< bias-current set point
    pair_t<float> cmpReferenceCoeff; ///< comparator trigger level
};

static_assert(sizeof(float) == 4 && sizeof(unsigned int) == 4, "module values are 4-byte floats and ints");
static_assert(std::is_trivially_copyable_v<VT4SDM0_Status_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4SDM0V1_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4SDM0V1_Param_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4SDM0V1_EEPROM_Const_t>, "records travel by memory image");

static_assert(sizeof(VT4SDM0_Status_t) == 1, "status is one byte");

static_assert(sizeof(VT4SDM0V1_Data_t) == 16, "VT4SDM0V1_Data_t is 16 bytes");
static_assert(offsetof(VT4SDM0V1_Data_t, current) == 0, "Data.current at 0");
static_assert(offsetof(VT4SDM0V1_Data_t, voltage) == 4, "Data.voltage at 4");
static_assert(offsetof(VT4SDM0V1_Data_t, counts) == 8, "Data.counts at 8");
static_assert(offsetof(VT4SDM0V1_Data_t, status) == 12, "Data.status at 12");
static_assert(offsetof(VT4SDM0V1_Data_t, reserved) == 13, "Data padding at 13");

static_assert(sizeof(VT4SDM0V1_Param_t) == 20, "VT4SDM0V1_Param_t is 20 bytes");
static_assert(offsetof(VT4SDM0V1_Param_t, cmpReferenceLevel) == 0, "Param.cmpReferenceLevel at 0");
static_assert(offsetof(VT4SDM0V1_Param_t, timeConst) == 4, "Param.timeConst at 4");
static_assert(offsetof(VT4SDM0V1_Param_t, autoResetThreshold) == 8, "Param.autoResetThreshold at 8");
static_assert(offsetof(VT4SDM0V1_Param_t, autoResetTimeOut) == 12, "Param.autoResetTimeOut at 12");
static_assert(offsetof(VT4SDM0V1_Param_t, autoResetAlarmsCounts) == 16, "Param.autoResetAlarmsCounts at 16");

static_assert(sizeof(VT4SDM0V1_EEPROM_Const_t) == 32, "VT4SDM0V1_EEPROM_Const_t is 32 bytes");
static_assert(offsetof(VT4SDM0V1_EEPROM_Const_t, currentAdcCoeff) == 0, "EEPROM.currentAdcCoeff at 0");
static_assert(offsetof(VT4SDM0V1_EEPROM_Const_t, voltageAdcCoeff) == 8, "EEPROM.voltageAdcCoeff at 8");
static_assert(offsetof(VT4SDM0V1_EEPROM_Const_t, currentDacCoeff) == 16, "EEPROM.currentDacCoeff at 16");
static_assert(offsetof(VT4SDM0V1_EEPROM_Const_t, cmpReferenceCoeff) == 24, "EEPROM.cmpReferenceCoeff at 24");

Q_DECLARE_METATYPE(VT4SDM0_Status_t)
Q_DECLARE_METATYPE(VT4SDM0V1_Data_t)
Q_DECLARE_METATYPE(VT4SDM0V1_Param_t)
Q_DECLARE_METATYPE(VT4SDM0V1_EEPROM_Const_t)
