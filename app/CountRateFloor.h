#pragma once

#include <QList>
#include <QPointF>

/// A logarithmic axis cannot show a count rate of 0, so the charts draw it at `Drawn`. Files and
/// scripts carry what was measured: a chart point at `Drawn` was a 0. No measured rate comes near
/// it (the least non-zero rate is one count in the longest counting window, 0.01 /s), and no other
/// chart (temperatures, IV currents, histogram counts) puts a point exactly there.
class CountRateFloor
{
public:
    static constexpr double Drawn = 1e-5; ///< 1/s, where a rate of 0 is drawn

    /// The y a chart draws for a measured count rate.
    static double drawn(double cps) { return cps < Drawn ? Drawn : cps; }
    /// The measured value behind a chart point's y.
    static double measured(double y) { return y == Drawn ? 0.0 : y; }
    static QList<QPointF> measured(const QList<QPointF> &points);
};
