#include "LatchedPoints.h"
#include "CountRateFloor.h"

#include <QtCharts/QXYSeries>

void LatchedPoints::note(const QXYSeries *series, const QPointF &point, bool latched)
{
    if (!series || !latched)
        return;
    if (!m_latched.contains(series))
        connect(series, &QObject::destroyed, this, [this, series] { m_latched.remove(series); });
    QSet<Key> &marks = m_latched[series];
    marks.insert({point.x(), point.y()});
    // A time trace drops its oldest points: marks older than its first point go with them.
    if (marks.size() > 2 * series->count() + PruneSlack) {
        const double first = series->count() > 0 ? series->at(0).x() : point.x();
        marks.removeIf([first](const Key &mark) { return mark.first < first; });
    }
}

QList<bool> LatchedPoints::flags(const QXYSeries *series, const QList<QPointF> &points) const
{
    const QSet<Key> latched = m_latched.value(series);
    QList<bool> marks;
    marks.reserve(points.size());
    for (const QPointF &point : points)
        marks << latched.contains({point.x(), point.y()});
    return marks;
}

bool LatchedPoints::measure(QList<SeriesExporter::Column> &columns, const QVariantList &seriesList) const
{
    QHash<QString, const QXYSeries *> byName;
    for (const QVariant &entry : seriesList) {
        if (const auto *series = qobject_cast<const QXYSeries *>(entry.value<QObject *>()))
            byName.insert(series->name(), series);
    }
    bool marked = false;
    for (SeriesExporter::Column &column : columns) {
        const QXYSeries *series = byName.value(column.name);
        if (any(series)) {
            column.latched = flags(series, column.points);
            marked = true;
        }
        column.points = CountRateFloor::measured(column.points);
    }
    return marked;
}
