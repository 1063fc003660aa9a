#include "SeriesExporter.h"
#include "AppLogging.h"

#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>

namespace {
constexpr int Decimals = 6;
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
const QByteArray Tab = QByteArrayLiteral("\t");

void appendPoint(QByteArray &text, const QList<QPointF> &points, const QList<bool> &latched, int row)
{
    text += QByteArray::number(points.at(row).x(), 'f', Decimals);
    text += Tab;
    text += QByteArray::number(points.at(row).y(), 'f', Decimals);
    if (!latched.isEmpty())
        text += Tab + QByteArray(latched.value(row) ? "1" : "0");
}
} // namespace

QByteArray SeriesExporter::oneSeries(const QList<QPointF> &points, const QList<bool> &latched)
{
    QByteArray text;
    for (int row = 0; row < points.size(); ++row) {
        appendPoint(text, points, latched, row);
        text += LineEnd;
    }
    return text;
}

QByteArray SeriesExporter::multipleSeries(const QList<Column> &columns)
{
    QByteArray text;
    for (const Column &column : columns)
        text += '|' + column.name.toUtf8() + "|\t";
    text += LineEnd;
    const int rows = longest(columns);
    for (int row = 0; row < rows; ++row) {
        for (const Column &column : columns) {
            if (row < column.points.size()) {
                appendPoint(text, column.points, column.latched, row);
                text += Tab;
            } else {
                text += QByteArrayLiteral("---\t---\t");
                if (!column.latched.isEmpty())
                    text += QByteArrayLiteral("---\t");
            }
        }
        text += LineEnd;
    }
    return text;
}

QList<QPointF> SeriesExporter::pointsOf(const QAbstractSeries *series)
{
    if (const auto *xy = qobject_cast<const QXYSeries *>(series))
        return xy->points();
    const auto *histogram = qobject_cast<const QAreaSeries *>(series);
    const QLineSeries *bars = histogram ? histogram->upperSeries() : nullptr;
    if (!bars)
        return {};
    // Each bar is four points: its foot and top on the left edge, its top and foot on the right.
    constexpr int PointsPerBar = 4;
    const QList<QPointF> outline = bars->points();
    QList<QPointF> bins;
    for (qsizetype top = 1; top + 1 < outline.size(); top += PointsPerBar)
        bins << QPointF((outline.at(top).x() + outline.at(top + 1).x()) / 2, outline.at(top).y());
    return bins;
}

QList<SeriesExporter::Column> SeriesExporter::columnsOf(const QVariantList &seriesList)
{
    QList<Column> columns;
    for (const QVariant &entry : seriesList) {
        const auto *series = qobject_cast<const QAbstractSeries *>(entry.value<QObject *>());
        if (!series ||
            !(qobject_cast<const QXYSeries *>(series) || qobject_cast<const QAreaSeries *>(series)))
            continue;
        qCDebug(lcFacade) << "Processing series:" << series->name();
        columns.append({series->name(), pointsOf(series)});
    }
    return columns;
}

int SeriesExporter::longest(const QList<Column> &columns)
{
    int count = 0;
    for (const Column &column : columns)
        count = qMax(count, int(column.points.size()));
    return count;
}
