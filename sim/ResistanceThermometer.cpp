#include "ResistanceThermometer.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double ReferenceResistance = 1000.0; ///< Ω at ReferenceTemperature
constexpr double ReferenceTemperature = 4.2;   ///< K
constexpr double Exponent = 1.5;
constexpr double LowestModelled = 0.05; ///< K; the curve is not followed below this
} // namespace

double ResistanceThermometer::resistance(double kelvin)
{
    return ReferenceResistance * std::pow(ReferenceTemperature / std::max(kelvin, LowestModelled), Exponent);
}

ResistanceThermometer::Table ResistanceThermometer::factoryTable()
{
    Table table{};
    const double ratio = TableHighest / TableLowest;
    for (int i = 0; i < VT4TDM0_TempTablePoints; ++i) {
        const double kelvin = TableLowest * std::pow(ratio, double(i) / (VT4TDM0_TempTablePoints - 1));
        table[size_t(i)] = {static_cast<float>(voltage(NominalCurrent, kelvin)), static_cast<float>(kelvin)};
    }
    return table;
}
