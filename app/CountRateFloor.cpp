#include "CountRateFloor.h"

QList<QPointF> CountRateFloor::measured(const QList<QPointF> &points)
{
    QList<QPointF> values;
    values.reserve(points.size());
    for (const QPointF &point : points)
        values << QPointF(point.x(), measured(point.y()));
    return values;
}
