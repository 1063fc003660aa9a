// Cost of keeping a time chart's range on its data, once per poll: ChartRangeFitter::follow over
// four full series (10 000 points each, the time traces' cap) in the windowed, autoscaled mode.
// The baseline is a bare min/max over the same points held in plain lists, in the same run.
#include "ChartRangeFitter.h"
#include "MyChartRect.h"
#include "SampleStats.h"
#include "Settings.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <QtCharts/QLineSeries>

#include <algorithm>

namespace {
constexpr int Rounds = 200;
constexpr int SeriesCount = 4;
constexpr int PointsPerSeries = 10000; ///< the time traces' cap
constexpr qint64 Now = 1700000000000;  ///< ms since the epoch
constexpr qint64 PollMs = 100;         ///< spacing of the points

QList<QPointF> trace(int seed)
{
    QList<QPointF> points;
    for (int i = 0; i < PointsPerSeries; ++i)
        points.append(QPointF(double(Now - (PointsPerSeries - i) * PollMs), 1000.0 + (i * 37 + seed) % 500));
    return points;
}

template <typename Pass> SampleStats measure(Pass pass)
{
    QList<double> samples;
    QElapsedTimer clock;
    for (int i = 0; i < Rounds; ++i) {
        clock.start();
        pass();
        samples << clock.nsecsElapsed() / 1000.0;
    }
    return SampleStats(samples);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<QList<QPointF>> traces;
    QObject owner;
    QList<QAbstractSeries *> series;
    for (int i = 0; i < SeriesCount; ++i) {
        traces.append(trace(i));
        auto *line = new QLineSeries(&owner);
        line->replace(traces.last());
        series.append(line);
    }
    Settings settings;
    settings.setSeries(series);
    MyChartRect rect;

    double sink = 0;
    const double left = double(Now) - settings.timeWindowSize() * 1000.0;
    const SampleStats bare = measure([&] {
        double low = 1e20;
        double high = 0;
        for (const QList<QPointF> &points : traces) {
            for (const QPointF &point : points) {
                if (point.x() <= left)
                    continue;
                low = std::min(low, point.y());
                high = std::max(high, point.y());
            }
        }
        sink += low + high;
    });
    const SampleStats fitter =
        measure([&] { ChartRangeFitter::follow(&rect, settings, WorkerTypes::WorkerModeCpsVersTime, Now); });

    QTextStream out(stdout);
    out << "time chart range per poll, " << SeriesCount << " series x " << PointsPerSeries << " points, "
        << Rounds << " rounds\n";
    out << QString("  bare min/max over lists   median %1 us\n").arg(bare.median(), 0, 'f', 1);
    out << QString("  ChartRangeFitter::follow  median %1 us\n").arg(fitter.median(), 0, 'f', 1);
    out << QString("  ratio %1 (sink %2)\n").arg(fitter.median() / bare.median(), 0, 'f', 2).arg(sink > 0);
    return 0;
}
