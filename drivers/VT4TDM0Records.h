#pragma once

// Wire records of the temperature module, modification 0 (one temperature sensor and a
// pressure sensor). Each record travels as its little-endian memory image: members naturally
// aligned, padding bytes included.

#include "RecordFlagBytes.h"
#include "pair_t.h"

#include <QMetaType>
#include <cstddef>
#include <cstdint>
#include <type_traits>

/// Points of a sensor calibration table.
constexpr int VT4TDM0_TempTablePoints = 100;
/// Table points carried by one transfer chunk.
constexpr int VT4TDM0_TempTableChunkPoints = 10;

/// All measured values in one record, 28 bytes.
struct VT4TDM0V1_Data_t
{
    float temperature;         ///< K
    float pressure;            ///< mbar
    float tempSensorCurrent;   ///< sensor excitation current, A
    float tempSensorVoltage;   ///< sensor voltage, V
    float pressSensorVoltageP; ///< pressure-sensor positive input, V
    float pressSensorVoltageN; ///< pressure-sensor negative input, V
    bool commutator;           ///< commutator switched on
    std::uint8_t reserved[3];  ///< padding, not interpreted
};

/// Calibration pairs kept in the module's EEPROM, 48 bytes; each pair is (slope, intercept).
struct VT4TDM0V1_EEPROM_Const_t
{
    pair_t<float> tempSensorCurrentAdcCoeff; ///< sensor-current read-out
    pair_t<float> tempSensorCurrentDacCoeff; ///< sensor-current set point
    pair_t<float> tempSensorVoltageCoeff;    ///< sensor-voltage read-out
    pair_t<float> pressSensorVoltagePCoeff;  ///< positive pressure input
    pair_t<float> pressSensorVoltageNCoeff;  ///< negative pressure input
    pair_t<float> pressSensorCoeff;          ///< pressure conversion
};

/// One point of a sensor calibration table, 8 bytes.
struct VT4TDM0V1_Temp_Table_Item_t
{
    float voltage;     ///< sensor voltage, V
    float temperature; ///< K
};

inline bool operator==(const VT4TDM0V1_Temp_Table_Item_t &a, const VT4TDM0V1_Temp_Table_Item_t &b)
{
    return a.voltage == b.voltage && a.temperature == b.temperature;
}
inline bool operator!=(const VT4TDM0V1_Temp_Table_Item_t &a, const VT4TDM0V1_Temp_Table_Item_t &b)
{
    return !(a == b);
}

static_assert(sizeof(bool) == 1, "a flag travels as one byte");
static_assert(std::is_trivially_copyable_v<VT4TDM0V1_Data_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4TDM0V1_EEPROM_Const_t>, "records travel by memory image");
static_assert(std::is_trivially_copyable_v<VT4TDM0V1_Temp_Table_Item_t>, "records travel by memory image");

static_assert(sizeof(VT4TDM0V1_Data_t) == 28, "VT4TDM0V1_Data_t is 28 bytes");
static_assert(offsetof(VT4TDM0V1_Data_t, temperature) == 0, "Data.temperature at 0");
static_assert(offsetof(VT4TDM0V1_Data_t, pressure) == 4, "Data.pressure at 4");
static_assert(offsetof(VT4TDM0V1_Data_t, tempSensorCurrent) == 8, "Data.tempSensorCurrent at 8");
static_assert(offsetof(VT4TDM0V1_Data_t, tempSensorVoltage) == 12, "Data.tempSensorVoltage at 12");
static_assert(offsetof(VT4TDM0V1_Data_t, pressSensorVoltageP) == 16, "Data.pressSensorVoltageP at 16");
static_assert(offsetof(VT4TDM0V1_Data_t, pressSensorVoltageN) == 20, "Data.pressSensorVoltageN at 20");
static_assert(offsetof(VT4TDM0V1_Data_t, commutator) == 24, "Data.commutator at 24");
static_assert(offsetof(VT4TDM0V1_Data_t, reserved) == 25, "Data padding at 25");

template <> struct RecordFlagBytes<VT4TDM0V1_Data_t>
{
    static constexpr std::array<std::size_t, 1> offsets{offsetof(VT4TDM0V1_Data_t, commutator)};
};

static_assert(sizeof(VT4TDM0V1_EEPROM_Const_t) == 48, "VT4TDM0V1_EEPROM_Const_t is 48 bytes");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, tempSensorCurrentAdcCoeff) == 0, "EEPROM pair at 0");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, tempSensorCurrentDacCoeff) == 8, "EEPROM pair at 8");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, tempSensorVoltageCoeff) == 16, "EEPROM pair at 16");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, pressSensorVoltagePCoeff) == 24, "EEPROM pair at 24");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, pressSensorVoltageNCoeff) == 32, "EEPROM pair at 32");
static_assert(offsetof(VT4TDM0V1_EEPROM_Const_t, pressSensorCoeff) == 40, "EEPROM pair at 40");

static_assert(sizeof(VT4TDM0V1_Temp_Table_Item_t) == 8, "a table point is 8 bytes");
static_assert(offsetof(VT4TDM0V1_Temp_Table_Item_t, voltage) == 0, "Item.voltage at 0");
static_assert(offsetof(VT4TDM0V1_Temp_Table_Item_t, temperature) == 4, "Item.temperature at 4");

Q_DECLARE_METATYPE(VT4TDM0V1_Data_t)
Q_DECLARE_METATYPE(VT4TDM0V1_EEPROM_Const_t)
Q_DECLARE_METATYPE(VT4TDM0V1_Temp_Table_Item_t)
