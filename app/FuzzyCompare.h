#pragma once

#include <QtGlobal>

/// Doubles that differ by at most one part in 10^12 of the larger magnitude count as equal;
/// setters use it so that a value that only went through a text field does not notify again.
inline bool vtFuzzyEqual(double a, double b)
{
    return qAbs(a - b) <= 1e-12 * qMax(qAbs(a), qAbs(b));
}
