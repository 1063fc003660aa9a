#pragma once

#include <QList>
#include <QMap>
#include <QPointF>
#include <QPointer>
#include <QtCharts/QXYSeries>

/// Points held back from the chart while its view is paused, per series in arrival order, and
/// counts held back from the bars of a histogram; on resume each series gets them in one
/// change, so the chart catches up at once.
class PausedPoints
{
public:
    /// Holds a point of `series`; with a `limit` above 0 only the latest `limit` points are kept,
    /// as the series itself keeps them.
    void hold(QXYSeries *series, const QPointF &point, int limit);
    /// Holds one count for the bar of `bars` whose top is the pair of points from `topIndex`.
    void holdBarCount(QXYSeries *bars, int topIndex);
    /// Appends the held points and adds the held counts to the series that still exist, and
    /// forgets them.
    void release();
    /// The points of `series` with those held back for it, as the series will have them on release.
    QList<QPointF> withHeld(const QXYSeries *series) const;
    bool isEmpty() const { return m_held.isEmpty() && m_heldBars.isEmpty(); }

private:
    struct Held
    {
        QPointer<QXYSeries> series;
        QList<QPointF> points;
        int limit = 0;
    };
    struct HeldBars
    {
        QPointer<QXYSeries> series;
        QMap<int, int> counts; ///< by the index of the bar's first top point
    };
    QList<Held> m_held;
    QList<HeldBars> m_heldBars;
};
