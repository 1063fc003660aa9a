#pragma once

#include "VT4TDM0Records.h"

#include <array>

/// The cryogenic resistance thermometers on the cryostat stage: the resistance rises steeply as
/// the stage cools, R(T) = R₀ (T₀ / T)^1.5, and a module reads the voltage its excitation
/// current drops across it. The factory calibration table of every module is this curve at the
/// nominal current.
class ResistanceThermometer
{
public:
    using Table = std::array<VT4TDM0V1_Temp_Table_Item_t, VT4TDM0_TempTablePoints>;

    static constexpr double NominalCurrent = 10e-6; ///< excitation the tables are made for, A
    static constexpr double MaxCurrent = 1e-3;      ///< the modules' current source range, A
    static constexpr double TableLowest = 0.3;      ///< first point of the factory table, K
    static constexpr double TableHighest = 40.0;    ///< last point of the factory table, K

    /// Resistance at `kelvin`, Ω.
    static double resistance(double kelvin);
    /// Voltage across the sensor at `kelvin` with `amperes` through it, V.
    static double voltage(double amperes, double kelvin) { return amperes * resistance(kelvin); }
    /// The factory table: points spaced evenly in log T from TableLowest to TableHighest.
    static Table factoryTable();
};
