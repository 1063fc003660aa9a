#pragma once

#include <QList>
#include <QPointF>
#include <QPointer>
#include <QtCharts/QXYSeries>

/// Points held back from the chart while its view is paused, per series in arrival order; on
/// resume they are handed to their series in one change, so the chart catches up at once.
class PausedPoints
{
public:
    /// Holds a point of `series`; with a `limit` above 0 only the latest `limit` points are kept,
    /// as the series itself keeps them.
    void hold(QXYSeries *series, const QPointF &point, int limit);
    /// Appends the held points to the series that still exist and forgets them.
    void release();
    bool isEmpty() const { return m_held.isEmpty(); }

private:
    struct Held
    {
        QPointer<QXYSeries> series;
        QList<QPointF> points;
        int limit = 0;
    };
    QList<Held> m_held;
};
