#pragma once

#include <QByteArray>
#include <QList>
#include <QPointF>
#include <QString>
#include <QVariantList>

class QAbstractSeries;

/// Chart series as text files: one series as "x\ty" lines, several side by side under a header
/// of their names, numbers with six decimals and lines ended by "\r\n". Files are replaced whole.
class SeriesExporter
{
public:
    /// One column of a several-series file.
    struct Column
    {
        QString name;
        QList<QPointF> points;
        QList<bool> latched{}; ///< empty, or one per point: written as a third value, 1 for latched
    };

    static QByteArray oneSeries(const QList<QPointF> &points, const QList<bool> &latched = {});
    /// Rows up to the longest column; a column without a point i writes "---\t---\t" in row i.
    static QByteArray multipleSeries(const QList<Column> &columns);

    /// What an export writes of `series`: an XY series' points; for a histogram (an area series)
    /// one point per bar, at the middle of its bin, with its count. None for anything else.
    static QList<QPointF> pointsOf(const QAbstractSeries *series);
    /// The XY series and histograms among `seriesList` (other entries are skipped), as columns.
    static QList<Column> columnsOf(const QVariantList &seriesList);
    static int longest(const QList<Column> &columns);
};
