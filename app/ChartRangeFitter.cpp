#include "ChartRangeFitter.h"
#include "MyChartRect.h"
#include "Settings.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QXYSeries>
#include <algorithm>
#include <limits>

namespace {

/// Where a vertical fit starts, so that any point lowers the bottom and raises the top.
constexpr double FitBottomStart = 1e20;
constexpr double FitTopStart = 0;
/// Zero count rates are drawn at this floor; a sweep of nothing but zeros needs a range above it.
constexpr double CountRateFloor = 1e-5;
constexpr double FloorTop = 1;
/// Where the histogram's horizontal fit starts, counts per second.
constexpr double HistogramLeftStart = 1e9;
/// A flat trace on a logarithmic axis spans this factor each way.
constexpr double LogFlatFactor = 2;

/// Whether a logarithmic axis can show `y`: zero counts sit at the floor and must not stretch it.
bool showsOnLogAxis(double y)
{
    return y > CountRateFloor;
}

/// The points of `points` the range of `mode` is fitted to. A time chart on a logarithmic axis
/// leaves out its zero counts; a sweep shows every point, the zero counts past a latched
/// detector's switching current included.
QList<QPointF> drawable(const QList<QPointF> &points, const Settings &settings, WorkerTypes::WorkerMode mode)
{
    if (!settings.logY() || WorkerTypes::isSweep(mode))
        return points;
    QList<QPointF> shown;
    std::copy_if(points.cbegin(), points.cend(), std::back_inserter(shown),
                 [](const QPointF &point) { return showsOnLogAxis(point.y()); });
    return shown;
}

/// A vertical range around a flat trace or a lone point at `y`. Linear: the fixed margin each
/// way, but never below zero for data that is not negative (no negative count rates or
/// temperatures on the scale). Logarithmic: a factor each way.
std::pair<double, double> aroundValue(double y, bool logY)
{
    if (logY)
        return {y / LogFlatFactor, y * LogFlatFactor};
    const double bottom = y - ChartRangeFitter::LoneMargin;
    return {y >= 0 ? std::max(0.0, bottom) : bottom, y + ChartRangeFitter::LoneMargin};
}

QList<QPointF> pointsOf(const QAbstractSeries *series)
{
    const auto *xy = qobject_cast<const QXYSeries *>(series);
    return xy ? xy->points() : QList<QPointF>();
}

/// The bars of a histogram: the upper line of an area series.
QList<QPointF> barsOf(const QAbstractSeries *series)
{
    const auto *area = qobject_cast<const QAreaSeries *>(series);
    return area && area->upperSeries() ? area->upperSeries()->points() : QList<QPointF>();
}

void setBox(MyChartRect *rect, double left, double right, double bottom, double top)
{
    rect->setLeft(left);
    rect->setRight(right);
    rect->setBottom(bottom);
    rect->setTop(top);
}

void setAroundPoint(MyChartRect *rect, const QPointF &point, bool logY)
{
    const auto [bottom, top] = aroundValue(point.y(), logY);
    setBox(rect, point.x() - ChartRangeFitter::LoneMargin, point.x() + ChartRangeFitter::LoneMargin, bottom,
           top);
}

bool isSingleChannel(WorkerTypes::WorkerMode mode)
{
    return mode == WorkerTypes::WorkerModeSspdSingleChannel ||
           mode == WorkerTypes::WorkerModeTemperatureSingleMode;
}

} // namespace

void ChartRangeFitter::follow(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                              qint64 nowMs)
{
    switch (mode) {
    case WorkerTypes::WorkerModeSspdSingleChannel:
    case WorkerTypes::WorkerModeTemperatureSingleMode:
    case WorkerTypes::WorkerModeCpsVersTime:
    case WorkerTypes::WorkerModeTemperatureVersTime:
        followTime(rect, settings, mode, nowMs);
        break;
    case WorkerTypes::WorkerModeCpsVersCurrent:
    case WorkerTypes::WorkerModeCpsVersTrigger:
    case WorkerTypes::WorkerModeIVCurves:
        followSweep(rect, settings, mode);
        break;
    case WorkerTypes::WorkerModeHistogram:
        followHistogram(rect, settings);
        break;
    case WorkerTypes::WorkerModeAllChannels:
    case WorkerTypes::WorkerModeNoAction:
        break;
    }
}

void ChartRangeFitter::followTime(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                                  qint64 nowMs)
{
    const QList<QAbstractSeries *> series = settings.series();
    const double right = double(nowMs + TimeLeadMs);
    double left = rect->left();
    if (isSingleChannel(mode)) {
        left = double(nowMs - SingleChannelSpanMs);
    } else if (settings.mode() == WorkerTypes::CpsVsTimeWindowed) {
        left = right - settings.timeWindowSize() * 1000.0;
    } else {
        const QList<QPointF> first = series.isEmpty() ? QList<QPointF>() : pointsOf(series.first());
        if (!first.isEmpty() && first.first().x() > double(nowMs - FreshTraceMs))
            left = double(nowMs - FreshTraceSpanMs);
    }
    rect->setLeft(left);
    rect->setRight(right);
    if (settings.autoscale() || isSingleChannel(mode))
        fitVertical(rect, settings, mode, left, std::numeric_limits<double>::infinity());
}

bool ChartRangeFitter::fitVertical(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode,
                                   double xAfter, double xUntil)
{
    double bottom = FitBottomStart;
    double top = FitTopStart;
    bool anyVisible = false;
    for (const QAbstractSeries *one : settings.series()) {
        for (const QPointF &point : drawable(pointsOf(one), settings, mode)) {
            if (point.x() <= xAfter || point.x() > xUntil)
                continue;
            anyVisible = true;
            bottom = std::min(bottom, point.y());
            top = std::max(top, point.y());
        }
    }
    // Without visible points the start values would make an upside-down range; keep the old one.
    if (!anyVisible)
        return false;
    if (bottom == top)
        std::tie(bottom, top) = aroundValue(bottom, settings.logY());
    rect->setBottom(bottom);
    rect->setTop(top);
    return true;
}

void ChartRangeFitter::refitVertical(MyChartRect *rect, const Settings &settings,
                                     WorkerTypes::WorkerMode mode)
{
    switch (mode) {
    case WorkerTypes::WorkerModeCpsVersTime:
    case WorkerTypes::WorkerModeTemperatureVersTime:
        if (!settings.autoscale())
            return;
        [[fallthrough]];
    case WorkerTypes::WorkerModeSspdSingleChannel:
    case WorkerTypes::WorkerModeTemperatureSingleMode:
        fitVertical(rect, settings, mode, rect->left(), std::numeric_limits<double>::infinity());
        break;
    case WorkerTypes::WorkerModeCpsVersCurrent:
    case WorkerTypes::WorkerModeCpsVersTrigger:
        fitVertical(rect, settings, mode, -std::numeric_limits<double>::infinity(),
                    std::numeric_limits<double>::infinity());
        break;
    case WorkerTypes::WorkerModeIVCurves:
    case WorkerTypes::WorkerModeHistogram:
    case WorkerTypes::WorkerModeAllChannels:
    case WorkerTypes::WorkerModeNoAction:
        break;
    }
}

void ChartRangeFitter::followSweep(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode)
{
    // The first points of the sweep decide the starting box; later ones only widen it.
    constexpr int StartingPoints = 3;
    const QList<QAbstractSeries *> series = settings.series();
    QList<QPointF> collected;
    for (const QAbstractSeries *one : series) {
        collected += drawable(pointsOf(one), settings, mode).mid(0, StartingPoints);
        if (collected.size() >= StartingPoints)
            break;
    }
    if (collected.size() == 1) {
        setAroundPoint(rect, collected.first(), settings.logY());
    } else if (collected.size() == 2) {
        const QRectF box = QRectF(collected.at(0), collected.at(1)).normalized();
        setBox(rect, box.left(), box.right(), box.top(), box.bottom());
    } else if (collected.size() > 2) {
        // Every point of the running sweep, not only the newest: several may have come since
        // the last update (a paused view, a busy GUI thread).
        double left = rect->left();
        double right = rect->right();
        double bottom = rect->bottom();
        double top = rect->top();
        for (const QPointF &point : drawable(pointsOf(series.last()), settings, mode)) {
            left = std::min(left, point.x());
            right = std::max(right, point.x());
            bottom = std::min(bottom, point.y());
            top = std::max(top, point.y());
        }
        setBox(rect, left, right, bottom, top);
    }
    if (mode != WorkerTypes::WorkerModeIVCurves && rect->top() == CountRateFloor)
        rect->setTop(FloorTop);
}

void ChartRangeFitter::followHistogram(MyChartRect *rect, const Settings &settings)
{
    // Each bar is four points; the second of them is the bar's top.
    constexpr int PointsPerBar = 4;
    constexpr int BarTop = 1;
    double left = HistogramLeftStart;
    double right = 0;
    double top = 0;
    bool anyBars = false;
    for (const QAbstractSeries *one : settings.series()) {
        const QList<QPointF> bars = barsOf(one);
        if (bars.isEmpty())
            continue;
        anyBars = true;
        left = std::min(left, bars.first().x());
        right = std::max(right, bars.last().x());
        for (qsizetype i = BarTop; i < bars.size(); i += PointsPerBar) {
            if (bars.at(i).y() >= top)
                top = bars.at(i).y() + 1;
        }
    }
    // Before the first bars exist the start values would make an upside-down range.
    if (anyBars)
        setBox(rect, left, right, 0, top);
}

void ChartRangeFitter::fitAll(MyChartRect *rect, const Settings &settings, WorkerTypes::WorkerMode mode)
{
    QList<QPointF> points;
    for (const QAbstractSeries *one : settings.series())
        points +=
            mode == WorkerTypes::WorkerModeHistogram ? barsOf(one) : drawable(pointsOf(one), settings, mode);
    if (points.size() <= 1) {
        setAroundPoint(rect, points.value(0, QPointF(0, settings.logY() ? 1 : 0)), settings.logY());
        return;
    }
    const auto [minX, maxX] = std::minmax_element(
        points.cbegin(), points.cend(), [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
    const auto [minY, maxY] = std::minmax_element(
        points.cbegin(), points.cend(), [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
    setBox(rect, minX->x(), maxX->x(), minY->y(), maxY->y());
}
