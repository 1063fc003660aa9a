#include "ChartRangeFitter.h"
#include "MyChartRect.h"
#include "Settings.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QTest>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

using Mode = WorkerTypes::WorkerMode;
using Points = QList<QPointF>;
using Box = QList<double>; // left, right, bottom, top

namespace {

/// A fixed "now", ms since the epoch.
constexpr qint64 Now = 1700000000000;

Box boxOf(const MyChartRect &rect)
{
    return {rect.left(), rect.right(), rect.bottom(), rect.top()};
}

void setBox(MyChartRect &rect, const Box &box)
{
    rect.setLeft(box.at(0));
    rect.setRight(box.at(1));
    rect.setBottom(box.at(2));
    rect.setTop(box.at(3));
}

/// Histogram bars as the facade draws them: four points per bin, the middle two at the count.
QAreaSeries *histogram(double from, double step, const QList<int> &counts, QObject *parent)
{
    auto *upper = new QLineSeries(parent);
    for (int bin = 0; bin < counts.size(); ++bin) {
        const double low = from + (bin + 0.05) * step;
        const double high = from + (bin + 0.95) * step;
        upper->append(
            {QPointF(low, 0), QPointF(low, counts.at(bin)), QPointF(high, counts.at(bin)), QPointF(high, 0)});
    }
    return new QAreaSeries(upper, nullptr);
}

} // namespace

class tst_ChartRangeFitter : public QObject
{
    Q_OBJECT
private:
    /// The series are children of this object, handed to the settings like a screen does.
    QObject owner;
    Settings settings;
    MyChartRect rect;

    void showSeries(const QList<Points> &lines)
    {
        QList<QAbstractSeries *> list;
        for (const Points &points : lines) {
            auto *series = new QScatterSeries(&owner);
            series->append(points);
            list.append(series);
        }
        settings.setSeries(list);
    }

private slots:
    void init()
    {
        qDeleteAll(owner.children());
        settings.setSeries({});
        settings.setAutoscale(true);
        settings.setMode(WorkerTypes::CpsVsTimeWindowed);
        settings.setTimeWindowSize(30);
        settings.setLogY(false);
        setBox(rect, {1, 2, 3, 4});
    }

    void fitAll_data()
    {
        QTest::addColumn<QList<Points>>("lines");
        QTest::addColumn<Box>("expected");
        // Widened around a lone value, but never to negative values for data that has none.
        QTest::newRow("no points") << QList<Points>{} << Box{-10, 10, 0, 10};
        QTest::newRow("one point") << QList<Points>{{{5, 7}}} << Box{-5, 15, 0, 17};
        QTest::newRow("one negative point") << QList<Points>{{{5, -7}}} << Box{-5, 15, -17, 3};
        QTest::newRow("two series") << QList<Points>{{{5, 7}, {-2, 1}}, {{9, -4}}} << Box{-2, 9, -4, 7};
    }
    void fitAll()
    {
        QFETCH(QList<Points>, lines);
        QFETCH(Box, expected);
        showSeries(lines);
        ChartRangeFitter::fitAll(&rect, settings, WorkerTypes::WorkerModeCpsVersCurrent);
        QCOMPARE(boxOf(rect), expected);
    }

    void fitAllTakesTheBarsInTheHistogram()
    {
        auto *line = new QLineSeries(&owner);
        line->append(-500, 1000); // not a bar: ignored in the histogram mode
        QAreaSeries *bars = histogram(0, 100, {2, 5}, &owner);
        bars->setParent(&owner);
        settings.setSeries({line, bars});
        ChartRangeFitter::fitAll(&rect, settings, WorkerTypes::WorkerModeHistogram);
        QCOMPARE(boxOf(rect), (Box{5, 195, 0, 5}));
    }

    void followTime_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("timeAxis");
        QTest::addColumn<bool>("autoscale");
        QTest::addColumn<Points>("points");
        QTest::addColumn<Box>("expected");
        const double now = double(Now);
        const Points trace{{now - 25000, 50}, {now - 15000, 2}, {now - 1000, 8}};
        QTest::newRow("single channel fits the last 19.5 s")
            << int(WorkerTypes::WorkerModeSspdSingleChannel) << int(WorkerTypes::CpsVsTimeFreeRunning)
            << false << trace << Box{now - 19500, now + 500, 2, 8};
        QTest::newRow("windowed") << int(WorkerTypes::WorkerModeCpsVersTime)
                                  << int(WorkerTypes::CpsVsTimeWindowed) << true << trace
                                  << Box{now - 29500, now + 500, 2, 50};
        QTest::newRow("windowed without autoscale")
            << int(WorkerTypes::WorkerModeTemperatureVersTime) << int(WorkerTypes::CpsVsTimeWindowed) << false
            << trace << Box{now - 29500, now + 500, 3, 4};
        QTest::newRow("free-running, fresh trace")
            << int(WorkerTypes::WorkerModeCpsVersTime) << int(WorkerTypes::CpsVsTimeFreeRunning) << true
            << Points{{now - 3000, 4}, {now - 1000, 6}} << Box{now - 9500, now + 500, 4, 6};
        QTest::newRow("free-running, old trace keeps its start")
            << int(WorkerTypes::WorkerModeCpsVersTime) << int(WorkerTypes::CpsVsTimeFreeRunning) << true
            << trace << Box{1, now + 500, 2, 50};
        QTest::newRow("flat trace widened")
            << int(WorkerTypes::WorkerModeTemperatureSingleMode) << int(WorkerTypes::CpsVsTimeWindowed)
            << false << Points{{now - 2000, 4.2}, {now - 1000, 4.2}} << Box{now - 19500, now + 500, 0, 14.2};
        QTest::newRow("flat zero count rate")
            << int(WorkerTypes::WorkerModeCpsVersTime) << int(WorkerTypes::CpsVsTimeWindowed) << true
            << Points{{now - 2000, 1e-5}, {now - 1000, 1e-5}} << Box{now - 29500, now + 500, 0, 1e-5 + 10};
        QTest::newRow("nothing visible keeps the vertical range")
            << int(WorkerTypes::WorkerModeSspdSingleChannel) << int(WorkerTypes::CpsVsTimeWindowed) << true
            << Points{{now - 60000, 4}} << Box{now - 19500, now + 500, 3, 4};
    }
    void followTime()
    {
        QFETCH(int, mode);
        QFETCH(int, timeAxis);
        QFETCH(bool, autoscale);
        QFETCH(Points, points);
        QFETCH(Box, expected);
        settings.setMode(WorkerTypes::CpsVsTimeMode(timeAxis));
        settings.setAutoscale(autoscale);
        showSeries({points});
        ChartRangeFitter::follow(&rect, settings, Mode(mode), Now);
        QCOMPARE(boxOf(rect), expected);
    }

    void followSweep_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<Points>>("lines");
        QTest::addColumn<Box>("expected");
        QTest::newRow("first point") << int(WorkerTypes::WorkerModeCpsVersCurrent)
                                     << QList<Points>{{{50, 20}}} << Box{40, 60, 10, 30};
        QTest::newRow("two points") << int(WorkerTypes::WorkerModeCpsVersTrigger)
                                    << QList<Points>{{{50, 20}, {-10, 30}}} << Box{-10, 50, 20, 30};
        QTest::newRow("only zero counts") << int(WorkerTypes::WorkerModeCpsVersCurrent)
                                          << QList<Points>{{{50, 1e-5}, {60, 1e-5}}} << Box{50, 60, 1e-5, 1};
        QTest::newRow("IV curve keeps its limits")
            << int(WorkerTypes::WorkerModeIVCurves) << QList<Points>{{{50, 1e-5}, {60, 1e-5}}}
            << Box{50, 60, 1e-5, 1e-5};
        // Every point of the running sweep, not only its newest: several may come between updates.
        QTest::newRow("later points widen the range")
            << int(WorkerTypes::WorkerModeCpsVersCurrent)
            << QList<Points>{{{0, 5}, {1, 6}}, {{2, 7}, {3, 8}, {9, 0.5}}} << Box{1, 9, 0.5, 8};
    }
    void followSweep()
    {
        QFETCH(int, mode);
        QFETCH(QList<Points>, lines);
        QFETCH(Box, expected);
        showSeries(lines);
        ChartRangeFitter::follow(&rect, settings, Mode(mode), Now);
        QCOMPARE(boxOf(rect), expected);
    }

    void followHistogram()
    {
        QAreaSeries *empty = histogram(0, 10, {}, &owner);
        empty->setParent(&owner);
        settings.setSeries({empty});
        ChartRangeFitter::follow(&rect, settings, WorkerTypes::WorkerModeHistogram, Now);
        QCOMPARE(boxOf(rect), (Box{1, 2, 3, 4})); // no bars yet

        QAreaSeries *bars = histogram(0, 100, {3, 7, 7, 1}, &owner);
        bars->setParent(&owner);
        settings.setSeries({empty, bars});
        ChartRangeFitter::follow(&rect, settings, WorkerTypes::WorkerModeHistogram, Now);
        QCOMPARE(boxOf(rect), (Box{5, 395, 0, 8}));
    }

    // Zero counts sit at the floor; on a logarithmic axis they must not stretch the range over
    // decades of empty grid. Back on a linear axis they count again.
    void logAxisLeavesOutZeroCounts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QList<Points>>("lines");
        QTest::addColumn<Box>("logBox");
        QTest::addColumn<Box>("linearBox");
        const double now = double(Now);
        const double zero = WorkerAsync::LeastCountRate;
        QTest::newRow("time trace")
            << int(WorkerTypes::WorkerModeCpsVersTime)
            << QList<Points>{{{now - 3000, zero}, {now - 2000, 40}, {now - 1000, 900}}}
            << Box{now - 29500, now + 500, 40, 900} << Box{now - 29500, now + 500, zero, 900};
        QTest::newRow("flat trace")
            << int(WorkerTypes::WorkerModeSspdSingleChannel)
            << QList<Points>{{{now - 2000, 300}, {now - 1000, 300}, {now - 500, zero}}}
            << Box{now - 19500, now + 500, 150, 600} << Box{now - 19500, now + 500, zero, 300};
        QTest::newRow("only zeros") << int(WorkerTypes::WorkerModeCpsVersTime)
                                    << QList<Points>{{{now - 2000, zero}}}
                                    << Box{now - 29500, now + 500, 3, 4}
                                    << Box{now - 29500, now + 500, 0, 10 + zero};
    }
    void logAxisLeavesOutZeroCounts()
    {
        QFETCH(int, mode);
        QFETCH(QList<Points>, lines);
        QFETCH(Box, logBox);
        QFETCH(Box, linearBox);
        showSeries(lines);
        settings.setLogY(true);
        ChartRangeFitter::follow(&rect, settings, Mode(mode), Now);
        QCOMPARE(boxOf(rect), logBox);
        settings.setLogY(false);
        ChartRangeFitter::refitVertical(&rect, settings, Mode(mode));
        QCOMPARE(boxOf(rect), linearBox);
    }

    // A sweep past a detector's switching current ends in zero counts: the range follows the
    // sweep point by point and takes them in on either axis, and "fit all" does the same.
    void sweepsShowTheLatchedTail_data()
    {
        QTest::addColumn<bool>("logY");
        QTest::newRow("linear") << false;
        QTest::newRow("logarithmic") << true;
    }
    void sweepsShowTheLatchedTail()
    {
        QFETCH(bool, logY);
        settings.setLogY(logY);
        const double zero = WorkerAsync::LeastCountRate;
        const Points sweep{{5, 40}, {10, 3e3}, {20, 2e5}, {24, 2.1e5}, {25, zero}, {26, zero}};
        auto *series = new QScatterSeries(&owner);
        settings.setSeries({series});
        for (const QPointF &point : sweep) {
            series->append(point);
            ChartRangeFitter::follow(&rect, settings, WorkerTypes::WorkerModeCpsVersCurrent, Now);
        }
        const Box all{5, 26, zero, 2.1e5};
        QCOMPARE(boxOf(rect), all);
        settings.setLogY(!logY);
        ChartRangeFitter::refitVertical(&rect, settings, WorkerTypes::WorkerModeCpsVersCurrent);
        QCOMPARE(boxOf(rect), all);
        setBox(rect, {1, 2, 3, 4});
        ChartRangeFitter::fitAll(&rect, settings, WorkerTypes::WorkerModeCpsVersCurrent);
        QCOMPARE(boxOf(rect), all);
    }

    void otherModesLeaveTheRange_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("all channels") << int(WorkerTypes::WorkerModeAllChannels);
        QTest::newRow("no action") << int(WorkerTypes::WorkerModeNoAction);
    }
    void otherModesLeaveTheRange()
    {
        QFETCH(int, mode);
        showSeries({{{0, 5}}});
        ChartRangeFitter::follow(&rect, settings, Mode(mode), Now);
        QCOMPARE(boxOf(rect), (Box{1, 2, 3, 4}));
    }
};

// Chart series need the widgets application object, which QTEST_MAIN makes when widgets are linked.
QTEST_MAIN(tst_ChartRangeFitter)
#include "tst_ChartRangeFitter.moc"
