#include "SeriesExporter.h"
#include "AppLogging.h"

#include <QtCharts/QXYSeries>

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
