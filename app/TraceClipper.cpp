#include "TraceClipper.h"

#include <algorithm>
#include <cmath>

namespace {
double toScale(double value, bool log)
{
    return log ? std::log10(value) : value;
}
double fromScale(double value, bool log)
{
    return log ? std::pow(10.0, value) : value;
}
/// A limit a log axis cannot take stands for the smallest it shows.
double limitOnScale(double value, bool log)
{
    return log && !(value > 0) ? -300.0 : toScale(value, log);
}
} // namespace

TraceClipper::TraceClipper(double minX, double maxX, double minY, double maxY, bool logX, bool logY)
    : m_logX(logX), m_logY(logY)
{
    const double left = limitOnScale(minX, logX);
    const double bottom = limitOnScale(minY, logY);
    m_frame = QRectF(left, bottom, limitOnScale(maxX, logX) - left, limitOnScale(maxY, logY) - bottom);
}

bool TraceClipper::toScale(const QPointF &point, QPointF &scaled) const
{
    if ((m_logX && !(point.x() > 0)) || (m_logY && !(point.y() > 0)))
        return false;
    scaled = QPointF(::toScale(point.x(), m_logX), ::toScale(point.y(), m_logY));
    return std::isfinite(scaled.x()) && std::isfinite(scaled.y());
}

QPointF TraceClipper::fromScale(const QPointF &scaled) const
{
    return QPointF(::fromScale(scaled.x(), m_logX), ::fromScale(scaled.y(), m_logY));
}

// Liang-Barsky: the segment a + t (b - a), 0 <= t <= 1, narrowed edge by edge.
bool TraceClipper::clipSegment(QPointF &a, QPointF &b) const
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double enter = 0;
    double leave = 1;
    const double towards[4] = {-dx, dx, -dy, dy};
    const double room[4] = {a.x() - m_frame.left(), m_frame.right() - a.x(), a.y() - m_frame.top(),
                            m_frame.bottom() - a.y()};
    for (int edge = 0; edge < 4; ++edge) {
        if (towards[edge] == 0) {
            if (room[edge] < 0)
                return false;
            continue;
        }
        const double t = room[edge] / towards[edge];
        if (towards[edge] < 0)
            enter = std::max(enter, t);
        else
            leave = std::min(leave, t);
        if (enter > leave)
            return false;
    }
    const QPointF start = a;
    a = start + enter * QPointF(dx, dy);
    b = start + leave * QPointF(dx, dy);
    return true;
}

QList<QList<QPointF>> TraceClipper::lineParts(const QList<QPointF> &points) const
{
    QList<QList<QPointF>> parts;
    QList<QPointF> part;
    const auto endPart = [&] {
        if (!part.isEmpty())
            parts.append(part);
        part.clear();
    };
    QPointF previous;
    bool hasPrevious = false;
    for (const QPointF &point : points) {
        QPointF scaled;
        if (!toScale(point, scaled)) {
            endPart();
            hasPrevious = false;
            continue;
        }
        if (!hasPrevious) {
            if (m_frame.contains(scaled))
                part.append(point);
            previous = scaled;
            hasPrevious = true;
            continue;
        }
        QPointF a = previous;
        QPointF b = scaled;
        previous = scaled;
        if (!clipSegment(a, b)) {
            endPart();
            continue;
        }
        if (part.isEmpty())
            part.append(fromScale(a));
        part.append(b == scaled ? point : fromScale(b));
        if (b != scaled)
            endPart();
    }
    endPart();
    return parts;
}

QList<QPointF> TraceClipper::pointsInside(const QList<QPointF> &points) const
{
    QList<QPointF> inside;
    for (const QPointF &point : points) {
        QPointF scaled;
        if (toScale(point, scaled) && m_frame.contains(scaled))
            inside.append(point);
    }
    return inside;
}

QList<QPointF> TraceClipper::pressedInside(const QList<QPointF> &points) const
{
    QList<QPointF> pressed;
    pressed.reserve(points.size());
    for (const QPointF &point : points) {
        // A value a log axis cannot show lies on the bottom edge.
        const double x = m_logX && !(point.x() > 0) ? m_frame.left() : ::toScale(point.x(), m_logX);
        const double y = m_logY && !(point.y() > 0) ? m_frame.top() : ::toScale(point.y(), m_logY);
        if (!std::isfinite(x) || !std::isfinite(y))
            continue;
        pressed.append(fromScale(QPointF(std::clamp(x, m_frame.left(), m_frame.right()),
                                         std::clamp(y, m_frame.top(), m_frame.bottom()))));
    }
    return pressed;
}
