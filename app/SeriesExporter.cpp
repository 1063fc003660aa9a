#include "SeriesExporter.h"
#include "AppLogging.h"

#include <QtCharts/QXYSeries>

namespace {
constexpr int Decimals = 6;
const QByteArray LineEnd = QByteArrayLiteral("\r\n");
const QByteArray Tab = QByteArrayLiteral("\t");

void appendPoint(QByteArray &text, const QPointF &point)
{
    text += QByteArray::number(point.x(), 'f', Decimals);
    text += Tab;
    text += QByteArray::number(point.y(), 'f', Decimals);
}
} // namespace

QByteArray SeriesExporter::oneSeries(const QList<QPointF> &points)
{
    QByteArray text;
    for (const QPointF &point : points) {
        appendPoint(text, point);
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
                appendPoint(text, column.points.at(row));
                text += Tab;
            } else {
                text += QByteArrayLiteral("---\t---\t");
            }
        }
        text += LineEnd;
    }
    return text;
}

QList<QPointF> SeriesExporter::pointsOf(const QXYSeries *series)
{
    return series ? series->points() : QList<QPointF>();
}

QList<SeriesExporter::Column> SeriesExporter::columnsOf(const QVariantList &seriesList)
{
    QList<Column> columns;
    for (const QVariant &entry : seriesList) {
        const auto *series = qobject_cast<const QXYSeries *>(entry.value<QObject *>());
        if (!series)
            continue;
        qCDebug(lcFacade) << "Processing series:" << series->name();
        columns.append({series->name(), series->points()});
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
