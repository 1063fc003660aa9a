#pragma once

#include "DriverProperty.h"
#include "pair_t.h"

#include <algorithm>
#include <cmath>

/// Range checks of set points before they are sent to a module.
namespace SetPointLimits {

/// True when `value` is a number between the two ends of `limits`, taken in either order.
inline bool within(const pair_t<float> &limits, float value)
{
    const float low = std::min(limits.first, limits.second);
    const float high = std::max(limits.first, limits.second);
    return std::isfinite(value) && value >= low && value <= high;
}

/// True when `value` is a number from 0 to `maximum`.
inline bool upTo(float maximum, float value)
{
    return std::isfinite(value) && value >= 0.0f && value <= maximum;
}

/// Writes `value` to `target` when `allowed(value)` holds, after reading the module's calibration
/// record through `calibration` unless `calibrationKnown` (the limits live there). True when the
/// value was written and acknowledged; a refused value is never sent.
template <typename Record, typename Value, typename Allowed>
bool writeChecked(DriverProperty<Record> *calibration, bool calibrationKnown, DriverProperty<Value> *target,
                  const Value &value, Allowed allowed, int attempts)
{
    bool ok = true;
    if (!calibrationKnown)
        calibration->getValueSync(&ok, attempts);
    if (!ok || !allowed(value))
        return false;
    target->setValueSync(value, &ok, attempts);
    return ok;
}

} // namespace SetPointLimits
