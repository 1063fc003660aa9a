#include "PausedPoints.h"

namespace {
void keepLatest(QList<QPointF> &points, int limit)
{
    if (limit > 0 && points.size() > limit)
        points.remove(0, points.size() - limit);
}
} // namespace

void PausedPoints::hold(QXYSeries *series, const QPointF &point, int limit)
{
    auto held =
        std::find_if(m_held.begin(), m_held.end(), [series](const Held &h) { return h.series == series; });
    if (held == m_held.end()) {
        m_held.append({series, {}, limit});
        held = m_held.end() - 1;
    }
    held->points.append(point);
    keepLatest(held->points, limit);
}

void PausedPoints::release()
{
    for (Held &held : m_held) {
        if (!held.series)
            continue;
        // One replace instead of a signal per appended point.
        QList<QPointF> points = held.series->points() + held.points;
        keepLatest(points, held.limit);
        held.series->replace(points);
    }
    m_held.clear();
}
