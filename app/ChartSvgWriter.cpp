#include "ChartSvgWriter.h"
#include "AtomicFileWriter.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QDateTimeAxis>
#include <QGraphicsScene>
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

QAbstractAxis *axisFor(const QVariantMap &chart, Qt::Orientation orientation)
{
    const bool horizontal = orientation == Qt::Horizontal;
    const QString key = horizontal ? QStringLiteral("X") : QStringLiteral("Y");
    QAbstractAxis *axis = nullptr;
    if (horizontal && chart.value(QStringLiteral("timeAxis")).toBool()) {
        auto *time = new QDateTimeAxis;
        time->setFormat(QStringLiteral("hh:mm:ss"));
        axis = time;
    } else if (chart.value(QStringLiteral("log") + key).toBool()) {
        auto *log = new QLogValueAxis;
        log->setLabelFormat(QStringLiteral("%.4g"));
        log->setMinorTickCount(-1);
        axis = log;
    } else {
        auto *linear = new QValueAxis;
        linear->setLabelFormat(QStringLiteral("%.4g"));
        axis = linear;
    }
    axis->setTitleText(chart.value(key.toLower() + QStringLiteral("Title")).toString());
    const QVariant min = chart.value(key.toLower() + QStringLiteral("Min"));
    const QVariant max = chart.value(key.toLower() + QStringLiteral("Max"));
    if (min.isValid() && max.isValid())
        axis->setRange(min, max);
    // Round ticks, as on the page, rather than a fixed count at odd values.
    if (auto *linear = qobject_cast<QValueAxis *>(axis); linear && linear->max() > linear->min()) {
        linear->setTickAnchor(0);
        linear->setTickInterval(niceInterval(linear->max() - linear->min()));
        linear->setTickType(QValueAxis::TicksDynamic);
    }
    return axis;
}

/// A copy of the page's series `source` in the look of `drawn` (the series the page draws for
/// it), owned by the caller; null for anything else.
QAbstractSeries *copyOf(const QObject *source, const QObject *drawn)
{
    if (const auto *area = qobject_cast<const QAreaSeries *>(source)) {
        if (!area->isVisible() || !area->upperSeries())
            return nullptr;
        auto *upper = new QLineSeries;
        upper->replace(area->upperSeries()->points());
        auto *copy = new QAreaSeries(upper);
        upper->setParent(copy);
        copy->setName(area->name());
        copy->setBrush(area->brush());
        copy->setPen(area->pen());
        return copy;
    }
    const auto *points = qobject_cast<const QXYSeries *>(source);
    const auto *xy = qobject_cast<const QXYSeries *>(drawn ? drawn : source);
    if (!points || !xy || !xy->isVisible())
        return nullptr;
    QXYSeries *copy = nullptr;
    if (const auto *scatter = qobject_cast<const QScatterSeries *>(xy)) {
        auto *markers = new QScatterSeries;
        markers->setMarkerSize(scatter->markerSize());
        markers->setMarkerShape(scatter->markerShape());
        markers->setBorderColor(scatter->borderColor());
        copy = markers;
    } else {
        copy = new QLineSeries;
    }
    copy->setName(xy->name());
    copy->setPen(xy->pen());
    copy->setColor(xy->color());
    copy->setOpacity(xy->opacity());
    copy->replace(points->points());
    return copy;
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
    plot->legend()->setVisible(false);
    QAbstractAxis *axisX = axisFor(chart, Qt::Horizontal);
    QAbstractAxis *axisY = axisFor(chart, Qt::Vertical);
    plot->addAxis(axisX, Qt::AlignBottom);
    plot->addAxis(axisY, Qt::AlignLeft);
    const QVariantList sources = chart.value(QStringLiteral("series")).toList();
    const QVariantList drawnList = chart.value(QStringLiteral("drawn")).toList();
    for (int i = 0; i < sources.size(); ++i) {
        const QObject *drawn = i < drawnList.size() ? drawnList.at(i).value<QObject *>() : nullptr;
        QAbstractSeries *series = copyOf(sources.at(i).value<QObject *>(), drawn);
        if (!series)
            continue;
        plot->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
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
