#pragma once

#include <QMetaType>

#include <utility>

/// A calibration pair as the models and the parameter bridge carry it: (slope, intercept) of a
/// converter, or (voltage, temperature) of a sensor table point.
using CalibrationPair = std::pair<double, double>;
Q_DECLARE_METATYPE(CalibrationPair)
