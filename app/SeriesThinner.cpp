#include "SeriesThinner.h"

#include <QtCharts/QXYSeries>
#include <algorithm>
#include <cmath>

namespace {
/// Points kept per column: the lowest and the highest.
constexpr int PointsPerColumn = 2;

bool beforeX(const QPointF &point, double x)
{
    return point.x() < x;
}
} // namespace

QList<QPointF> SeriesThinner::thinned(const QList<QPointF> &points, double minX, double maxX, int columns)
{
    // The visible stretch, with the neighbour outside each edge.
    auto first = std::lower_bound(points.cbegin(), points.cend(), minX, beforeX);
    auto last = std::lower_bound(first, points.cend(), maxX, beforeX);
    if (first != points.cbegin())
        --first;
    if (last != points.cend())
        ++last;
    if (columns <= 0 || !(maxX > minX) || last - first <= qsizetype(PointsPerColumn) * columns)
        return QList<QPointF>(first, last);

    QList<QPointF> kept;
    kept.reserve(PointsPerColumn * (columns + 2));
    const double columnWidth = (maxX - minX) / columns;
    auto column = [=](const QPointF &point) { return std::floor((point.x() - minX) / columnWidth); };
    for (auto run = first; run != last;) {
        const double current = column(*run);
        auto end = std::find_if(run, last, [&](const QPointF &point) { return column(point) != current; });
        const auto [lowest, highest] =
            std::minmax_element(run, end, [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
        // In their own order, so the line runs through the column as the data did.
        kept.append(lowest < highest ? *lowest : *highest);
        if (lowest != highest)
            kept.append(lowest < highest ? *highest : *lowest);
        run = end;
    }
    // The ends stay exact: the newest reading is where a live trace stops.
    if (kept.first() != *first)
        kept.prepend(*first);
    if (kept.last() != *(last - 1))
        kept.append(*(last - 1));
    return kept;
}

void SeriesThinner::showThinned(QObject *source, QObject *shown, double minX, double maxX, int columns) const
{
    const auto *from = qobject_cast<QXYSeries *>(source);
    auto *to = qobject_cast<QXYSeries *>(shown);
    if (from && to)
        to->replace(thinned(from->points(), minX, maxX, columns));
}
