#pragma once

#include <QList>
#include <QObject>
#include <QPointF>

/// Draws long traces cheaply: a chart shows a copy of a trace with at most the lowest and the
/// highest point of each pixel column of the visible range, its first and last points, and one
/// point beyond each edge so the line enters the plot. Peaks and dips stay where they are; the trace itself
/// keeps every point for fits and exports. Stateless; QML reaches it as the singleton "SeriesThinner".
class SeriesThinner : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Replaces the points of the `shown` series with the thinned points of `source` (both
    /// QXYSeries) for the range `minX` to `maxX` drawn `columns` wide; nothing for other objects.
    Q_INVOKABLE void showThinned(QObject *source, QObject *shown, double minX, double maxX,
                                 int columns) const;

    /// The points of `points` (ascending in x) a chart of the range `minX` to `maxX`,
    /// `columns` wide, needs: all of them where there are few, else the extremes per column.
    static QList<QPointF> thinned(const QList<QPointF> &points, double minX, double maxX, int columns);
};
