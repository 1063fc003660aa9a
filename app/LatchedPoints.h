#pragma once

#include "SeriesExporter.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointF>
#include <QSet>
#include <QVariantList>

class QXYSeries;

/// Which points of the charts were taken while the detector was latched (its wire normal, so it
/// counted nothing), for the files and scripts that must tell such a 0 from a measured one.
/// A point is known by its series, x and y. GUI thread; a series that goes is forgotten.
class LatchedPoints : public QObject
{
    Q_OBJECT
public:
    explicit LatchedPoints(QObject *parent = nullptr) : QObject(parent) {}

    /// Notes the point just added to `series`; only latched points are kept.
    void note(const QXYSeries *series, const QPointF &point, bool latched);
    /// One flag per point of `points` (of `series`): taken while latched.
    QList<bool> flags(const QXYSeries *series, const QList<QPointF> &points) const;
    bool any(const QXYSeries *series) const { return m_latched.contains(series); }
    /// Export columns of the series in `seriesList` (found by name) as measured: a count rate
    /// drawn at the log floor is written as 0, and a series with latched points gets its marks.
    /// True when some column has marks; the file should then carry HeaderNote.
    bool measure(QList<SeriesExporter::Column> &columns, const QVariantList &seriesList) const;

    static constexpr const char *HeaderNote =
        "# latched: the third value of a point, 1 where the detector was latched (it counted nothing)\r\n";

private:
    static constexpr int PruneSlack = 64; ///< marks kept beyond the series' points before pruning

    using Key = QPair<double, double>; ///< x, y

    QHash<const QXYSeries *, QSet<Key>> m_latched;
};
