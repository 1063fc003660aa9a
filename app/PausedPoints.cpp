#include "PausedPoints.h"

#include <algorithm>

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

void PausedPoints::holdBarCount(QXYSeries *bars, int topIndex)
{
    auto held = std::find_if(m_heldBars.begin(), m_heldBars.end(),
                             [bars](const HeldBars &h) { return h.series == bars; });
    if (held == m_heldBars.end()) {
        m_heldBars.append(HeldBars{bars, {}});
        held = m_heldBars.end() - 1;
    }
    ++held->counts[topIndex];
}

void PausedPoints::release()
{
    for (HeldBars &held : m_heldBars) {
        if (!held.series)
            continue;
        QList<QPointF> points = held.series->points();
        for (auto count = held.counts.cbegin(); count != held.counts.cend(); ++count) {
            // The bars may have been rebuilt meanwhile (a new run); counts beyond them are gone.
            for (const int index : {count.key(), count.key() + 1}) {
                if (index < points.size())
                    points[index].ry() += count.value();
            }
        }
        held.series->replace(points);
    }
    m_heldBars.clear();

    for (Held &held : m_held) {
        // One replace instead of a signal per appended point.
        if (held.series)
            held.series->replace(withHeld(held.series));
    }
    m_held.clear();
}

QList<QPointF> PausedPoints::withHeld(const QXYSeries *series) const
{
    QList<QPointF> points = series->points();
    for (const Held &held : m_held) {
        if (held.series == series) {
            points += held.points;
            keepLatest(points, held.limit);
        }
    }
    return points;
}
