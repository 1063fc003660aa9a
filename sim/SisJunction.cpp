#include "SisJunction.h"

#include <cmath>

namespace {
constexpr int BisectionSteps = 60;
constexpr double LargestVoltage = 1.0; ///< V, far beyond any bias the module gives
} // namespace

double SisJunction::current(double volts) const
{
    const Settings &s = m_settings;
    const double magnitude = std::abs(volts);
    // A smooth step from the leakage branch to the normal-state branch at the gap.
    const double onBranch = 1.0 / (1.0 + std::exp(-(magnitude - s.gapVoltage) / s.gapWidth));
    const double amperes =
        magnitude / s.subgapResistance * (1.0 - onBranch) + magnitude / s.normalResistance * onBranch;
    return std::copysign(amperes, volts);
}

double SisJunction::voltage(double amperes) const
{
    if (!std::isfinite(amperes))
        return 0.0;
    double low = -LargestVoltage;
    double high = LargestVoltage;
    for (int i = 0; i < BisectionSteps; ++i) {
        const double middle = (low + high) / 2;
        (current(middle) < amperes ? low : high) = middle;
    }
    return (low + high) / 2;
}
