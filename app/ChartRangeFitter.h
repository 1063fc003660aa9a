#pragma once

#include "WorkerTypes.h"

#include <QList>
#include <QPointF>

class MyChartRect;
class Settings;

/// The arithmetic that keeps a chart's visible range on the data of the current screen's series.
/// Time axes are in ms since the epoch; vertical units are those of the points.
class ChartRangeFitter
{
public:
    /// Time a single-channel chart shows before now, ms.
    static constexpr qint64 SingleChannelSpanMs = 19500;
    /// Free space after now on time charts, ms.
    static constexpr qint64 TimeLeadMs = 500;
    /// A free-running trace younger than this restarts its window, ms.
    static constexpr qint64 FreshTraceMs = 11000;
    /// Time shown before now when a free-running trace restarts, ms.
    static constexpr qint64 FreshTraceSpanMs = 9500;
    /// Margin around a lone point or a flat trace, in axis units.
    static constexpr double LoneMargin = 10.0;

    /// Moves `rect` along with the new data of `mode`: the time window and vertical fit of the
    /// time charts (modes 1 to 4), the growing box of the sweeps (5 to 7), the bars of the
    /// histogram (8). Other modes leave it alone. `nowMs` is the current time, ms since the epoch.
    static void follow(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                       qint64 nowMs);
    /// Fits `rect` to every point of the settings' series (the bars' tops in the histogram mode).
    static void fitAll(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode);
    /// Fits the vertical range of `rect` again to the points inside its horizontal range, where
    /// `mode` fits it to the data at all (time charts with autoscale or of one channel, sweeps
    /// other than IV curves); for a change of the axis between linear and logarithmic.
    static void refitVertical(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode);

private:
    /// Sets the vertical range to the points of `mode` with x in (xAfter, xUntil]; false when none.
    static bool fitVertical(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                            double xAfter, double xUntil);
    static void followTime(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                           qint64 nowMs);
    static void followSweep(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode);
    static void followHistogram(MyChartRect *rect, const Settings &settings);
};
