#pragma once

#include <QList>
#include <QPointF>
#include <QRectF>

/// Keeps a drawing's traces inside its plot frame, for painters that do not clip (the SVG
/// generator draws every point it is given). Works on data values; a logarithmic axis is
/// clipped in decades, and a value it cannot show (not positive) breaks a line there.
class TraceClipper
{
public:
    /// The frame: x from `minX` to `maxX`, y from `minY` to `maxY` (in data units).
    TraceClipper(double minX, double maxX, double minY, double maxY, bool logX, bool logY);

    /// The parts of the polyline `points` inside the frame, each ending where the line leaves
    /// it or meets a value the axes cannot show.
    QList<QList<QPointF>> lineParts(const QList<QPointF> &points) const;
    /// The markers whose centre lies inside the frame.
    QList<QPointF> pointsInside(const QList<QPointF> &points) const;
    /// The outline of an area (bars, steps) pressed into the frame: values beyond an edge
    /// lie on it.
    QList<QPointF> pressedInside(const QList<QPointF> &points) const;

private:
    /// The point on the axes' scale (decades on a log axis); false when it cannot be shown.
    bool toScale(const QPointF &point, QPointF &scaled) const;
    QPointF fromScale(const QPointF &scaled) const;
    /// Cuts the segment from `a` to `b` (on the scale) to the frame; false when none of it is inside.
    bool clipSegment(QPointF &a, QPointF &b) const;

    QRectF m_frame; ///< on the scale, left to right and bottom to top
    bool m_logX;
    bool m_logY;
};
