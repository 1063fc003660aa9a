#include "SeriesThinner.h"

#include <QTest>
#include <algorithm>
#include <cmath>

using Points = QList<QPointF>;

namespace {
/// A noisy trace one unit apart in x, with one spike up and one dip.
Points trace(int count, int spikeAt, int dipAt)
{
    Points points;
    for (int i = 0; i < count; ++i)
        points.append(QPointF(i, i == spikeAt ? 1000 : i == dipAt ? -1000 : std::sin(i * 0.7) * 10));
    return points;
}

bool ascending(const Points &points)
{
    return std::is_sorted(points.cbegin(), points.cend(),
                          [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); });
}
} // namespace

class tst_SeriesThinner : public QObject
{
    Q_OBJECT
private slots:
    // Few points in view are drawn as they are, with the neighbour outside each edge.
    void fewPointsStayAsTheyAre()
    {
        const Points points = trace(100, -1, -1);
        QCOMPARE(SeriesThinner::thinned(points, 10.5, 20.5, 500), points.mid(10, 12));
        QCOMPARE(SeriesThinner::thinned(points, -50, 500, 500), points);
        QCOMPARE(SeriesThinner::thinned({}, 0, 1, 500), Points());
    }

    // A long trace in few columns keeps its extremes, its order and its ends.
    void longTraceKeepsPeaks_data()
    {
        QTest::addColumn<double>("minX");
        QTest::addColumn<double>("maxX");
        QTest::newRow("whole trace") << 0.0 << 9999.0;
        QTest::newRow("middle") << 2500.5 << 7000.5;
    }
    void longTraceKeepsPeaks()
    {
        QFETCH(double, minX);
        QFETCH(double, maxX);
        constexpr int Columns = 300;
        const Points points = trace(10000, 4321, 6789);
        const Points kept = SeriesThinner::thinned(points, minX, maxX, Columns);
        QVERIFY2(kept.size() <= 2 * (Columns + 3), qPrintable(QString::number(kept.size())));
        QVERIFY(ascending(kept));
        QVERIFY(kept.contains(points.at(4321)));
        QVERIFY(kept.contains(points.at(6789)));
        // The line enters and leaves the plot through its edges and ends on the newest point.
        QVERIFY(kept.first().x() <= minX && kept.last().x() >= maxX);
        QCOMPARE(kept.last(), points.at(std::min(qsizetype(maxX) + 1, points.size() - 1)));
    }
};

QTEST_MAIN(tst_SeriesThinner)
#include "tst_SeriesThinner.moc"
