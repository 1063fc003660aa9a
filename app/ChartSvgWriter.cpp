#include "ChartSvgWriter.h"
#include "AtomicFileWriter.h"
#include "TraceClipper.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsScene>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgGenerator>
#include <QValueAxis>
#include <cmath>

namespace {
constexpr int DefaultWidth = 900;
constexpr int DefaultHeight = 600;
constexpr double TicksWanted = 6;
constexpr double MaxTicks = 100; ///< more would hide the plot under its grid

/// A tick spacing of 1, 2 or 5 times a power of ten that gives about TicksWanted ticks.
double niceInterval(double span)
{
    const double raw = span / TicksWanted;
    const double decade = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * decade >= raw)
            return step * decade;
    }
    return 10.0 * decade;
}

/// An axis limit as a number: ms since the epoch for a time.
double limitValue(const QVariant &limit)
{
    if (limit.metaType().id() == QMetaType::QDateTime)
        return double(limit.toDateTime().toMSecsSinceEpoch());
    bool ok = false;
    const double value = limit.toDouble(&ok);
    return ok ? value : qQNaN();
}

/// The limits "<key>Min" and "<key>Max" of the axis named `key` ("X" or "Y"); NaN when absent.
std::pair<double, double> limits(const QVariantMap &chart, const QString &key)
{
    return {limitValue(chart.value(key.toLower() + QStringLiteral("Min"))),
            limitValue(chart.value(key.toLower() + QStringLiteral("Max")))};
}

/// A time axis from `min` to `max` (ms since the epoch) labelled at `ticks`, the times the page
/// labels; without them the axis spaces its own labels.
QAbstractAxis *timeAxis(double min, double max, const QVariantList &ticks)
{
    auto *category = new QCategoryAxis;
    category->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    category->setStartValue(min);
    for (const QVariant &tick : ticks) {
        const double ms = tick.toDouble();
        // Each label ends a category, after the one before it.
        if (!(ms > min && ms <= max))
            continue;
        const QDateTime time = QDateTime::fromMSecsSinceEpoch(qint64(ms));
        QString label = time.toString(QStringLiteral("hh:mm:ss"));
        // Labels name the ticks: a time of day seen before needs its date.
        if (category->categoriesLabels().contains(label))
            label = time.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        category->append(label, ms);
    }
    if (category->count() > 0) {
        category->setRange(min, max);
        return category;
    }
    delete category;
    auto *time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("hh:mm:ss"));
    time->setRange(QDateTime::fromMSecsSinceEpoch(qint64(min)), QDateTime::fromMSecsSinceEpoch(qint64(max)));
    return time;
}

QAbstractAxis *axisFor(const QVariantMap &chart, Qt::Orientation orientation)
{
    const bool horizontal = orientation == Qt::Horizontal;
    const QString key = horizontal ? QStringLiteral("X") : QStringLiteral("Y");
    const auto [min, max] = limits(chart, key);
    const bool hasRange = min < max;
    const bool isTime = horizontal && chart.value(QStringLiteral("timeAxis")).toBool() && hasRange;
    QAbstractAxis *axis = nullptr;
    if (isTime) {
        // A time axis takes times, not numbers: given ms, it would keep the span of every point.
        axis = timeAxis(min, max, chart.value(QStringLiteral("timeTicks")).toList());
    } else if (chart.value(QStringLiteral("log") + key).toBool()) {
        auto *log = new QLogValueAxis;
        log->setLabelFormat(QStringLiteral("%.4g"));
        log->setMinorTickCount(-1);
        axis = log;
    } else {
        auto *linear = new QValueAxis;
        const QString format = chart.value(key.toLower() + QStringLiteral("LabelFormat")).toString();
        linear->setLabelFormat(format.isEmpty() ? QStringLiteral("%.4g") : format);
        axis = linear;
    }
    axis->setTitleText(chart.value(key.toLower() + QStringLiteral("Title")).toString());
    if (isTime)
        return axis;
    if (hasRange)
        axis->setRange(min, max);
    // Round ticks, as on the page (its own interval where it gives one), rather than a fixed
    // count at odd values.
    if (auto *linear = qobject_cast<QValueAxis *>(axis); linear && linear->max() > linear->min()) {
        const double span = linear->max() - linear->min();
        const double given = chart.value(key.toLower() + QStringLiteral("Interval")).toDouble();
        linear->setTickAnchor(0);
        linear->setTickInterval(given > 0 && span / given <= MaxTicks ? given : niceInterval(span));
        linear->setTickType(QValueAxis::TicksDynamic);
    }
    return axis;
}

/// The look of a line or scatter series `from`, given to `to`.
void copyLook(const QXYSeries &from, QXYSeries &to)
{
    to.setName(from.name());
    to.setPen(from.pen());
    to.setColor(from.color());
    to.setOpacity(from.opacity());
    if (const auto *scatter = qobject_cast<const QScatterSeries *>(&from)) {
        auto &markers = static_cast<QScatterSeries &>(to);
        markers.setMarkerSize(scatter->markerSize());
        markers.setMarkerShape(scatter->markerShape());
        markers.setBorderColor(scatter->borderColor());
    }
}

/// Copies of the page's series `source`, in the look of `drawn` (the series the page draws for
/// it), cut to the frame: one series for markers or an area, one per visible part of a line.
/// The first stands for the source in the legend, even when nothing of it is inside. Owned by
/// the caller; none for a hidden series or anything else.
QList<QAbstractSeries *> copiesOf(const QObject *source, const QObject *drawn, const TraceClipper &clipper)
{
    if (const auto *area = qobject_cast<const QAreaSeries *>(source)) {
        if (!area->isVisible() || !area->upperSeries())
            return {};
        const QList<QPointF> outline = clipper.pressedInside(area->upperSeries()->points());
        auto *upper = new QLineSeries;
        upper->replace(outline);
        // The base line at zero, or at the frame's edge where zero is outside or on a log axis.
        auto *lower = new QLineSeries;
        if (!outline.isEmpty()) {
            lower->replace(
                clipper.pressedInside({QPointF(outline.first().x(), 0), QPointF(outline.last().x(), 0)}));
        }
        auto *copy = new QAreaSeries(upper, lower);
        upper->setParent(copy);
        lower->setParent(copy);
        copy->setName(area->name());
        copy->setBrush(area->brush());
        copy->setPen(area->pen());
        return {copy};
    }
    const auto *points = qobject_cast<const QXYSeries *>(source);
    const auto *look = qobject_cast<const QXYSeries *>(drawn ? drawn : source);
    if (!points || !look || !look->isVisible())
        return {};
    if (qobject_cast<const QScatterSeries *>(look)) {
        auto *markers = new QScatterSeries;
        copyLook(*look, *markers);
        markers->replace(clipper.pointsInside(points->points()));
        return {markers};
    }
    QList<QList<QPointF>> parts = clipper.lineParts(points->points());
    if (parts.isEmpty())
        parts.append(QList<QPointF>());
    QList<QAbstractSeries *> copies;
    for (const QList<QPointF> &part : std::as_const(parts)) {
        auto *line = new QLineSeries;
        copyLook(*look, *line);
        line->replace(part);
        copies.append(line);
    }
    return copies;
}
} // namespace

QString ChartSvgWriter::write(const QString &fileName, const QVariantMap &chart) const
{
    return AtomicFileWriter::write(fileName, render(chart));
}

QByteArray ChartSvgWriter::render(const QVariantMap &chart)
{
    const QSize size(chart.value(QStringLiteral("width"), DefaultWidth).toInt(),
                     chart.value(QStringLiteral("height"), DefaultHeight).toInt());
    const QSize drawn = size.isValid() && !size.isEmpty() ? size : QSize(DefaultWidth, DefaultHeight);

    // The scene owns the chart, the chart its series and axes.
    QGraphicsScene scene;
    auto *plot = new QChart;
    scene.addItem(plot);
    plot->setAnimationOptions(QChart::NoAnimation);
    plot->legend()->setAlignment(Qt::AlignTop);
    QAbstractAxis *axisX = axisFor(chart, Qt::Horizontal);
    QAbstractAxis *axisY = axisFor(chart, Qt::Vertical);
    plot->addAxis(axisX, Qt::AlignBottom);
    plot->addAxis(axisY, Qt::AlignLeft);
    const QVariantList sources = chart.value(QStringLiteral("series")).toList();
    const QVariantList drawnList = chart.value(QStringLiteral("drawn")).toList();
    const auto [minX, maxX] = limits(chart, QStringLiteral("X"));
    const auto [minY, maxY] = limits(chart, QStringLiteral("Y"));
    const TraceClipper clipper(minX, maxX, minY, maxY, qobject_cast<QLogValueAxis *>(axisX) != nullptr,
                               qobject_cast<QLogValueAxis *>(axisY) != nullptr);
    for (int i = 0; i < sources.size(); ++i) {
        const QObject *drawn = i < drawnList.size() ? drawnList.at(i).value<QObject *>() : nullptr;
        const QList<QAbstractSeries *> copies = copiesOf(sources.at(i).value<QObject *>(), drawn, clipper);
        for (QAbstractSeries *series : copies) {
            plot->addSeries(series);
            series->attachAxis(axisX);
            series->attachAxis(axisY);
            // One legend entry per trace, however many parts it was cut into.
            if (series != copies.first()) {
                for (QLegendMarker *marker : plot->legend()->markers(series))
                    marker->setVisible(false);
            }
        }
    }
    plot->setGeometry(QRectF(QPointF(0, 0), drawn));
    scene.setSceneRect(plot->geometry());

    QBuffer document;
    document.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&document);
    generator.setSize(drawn);
    generator.setViewBox(QRect(QPoint(0, 0), drawn));
    generator.setTitle(chart.value(QStringLiteral("yTitle")).toString());
    QPainter painter(&generator);
    scene.render(&painter);
    painter.end();
    return document.data();
}
