#include "ChartSvgWriter.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QFile>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class tst_ChartSvgWriter : public QObject
{
    Q_OBJECT

private:
    /// The texts and stroke colours an SVG document draws.
    struct Drawing
    {
        bool isSvg = false;
        QStringList texts;
        QStringList strokes;
    };
    static Drawing parse(const QByteArray &document)
    {
        Drawing drawing;
        QXmlStreamReader xml(document);
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == QLatin1String("svg"))
                drawing.isSvg = true;
            if (xml.name() == QLatin1String("g") && xml.attributes().hasAttribute(QStringLiteral("stroke")))
                drawing.strokes << xml.attributes().value(QStringLiteral("stroke")).toString();
            if (xml.name() == QLatin1String("text"))
                drawing.texts << xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
        }
        return xml.hasError() ? Drawing{} : drawing;
    }

private slots:
    void drawsEveryKindOfSeriesOnTheAxesShown_data()
    {
        QTest::addColumn<bool>("logY");
        QTest::addColumn<bool>("timeAxis");
        QTest::addColumn<QString>("expectedTick");
        QTest::newRow("linear") << false << false << QStringLiteral("20");
        QTest::newRow("logarithmic") << true << false << QStringLiteral("1000");
        QTest::newRow("time of day") << false << true << QStringLiteral("12:00:30");
    }
    void drawsEveryKindOfSeriesOnTheAxesShown()
    {
        QFETCH(bool, logY);
        QFETCH(bool, timeAxis);
        QFETCH(QString, expectedTick);
        const double x0 = timeAxis ? QDateTime(QDate(2026, 12, 8), QTime(12, 0)).toMSecsSinceEpoch() : 0;
        const double dx = timeAxis ? 10000 : 10;

        // The page keeps every point in a trace and draws a thinned copy in its own colour.
        QLineSeries trace, drawnTrace;
        // An earlier run, an hour before, is off the axis shown now.
        trace.append(x0 - 3600000, 10);
        for (int i = 0; i <= 6; ++i)
            trace.append(x0 + i * dx, 10 + 1000 * i);
        drawnTrace.setPen(QPen(QColor(0xd0, 0x20, 0x30), 2));
        QScatterSeries markers;
        markers.append(x0 + dx, 50);
        markers.setColor(QColor(0x10, 0x80, 0x40));
        QLineSeries upper;
        upper.append(x0, 20);
        upper.append(x0 + 6 * dx, 20);
        QAreaSeries area(&upper);

        QVariantMap chart{{"series", QVariantList{QVariant::fromValue<QObject *>(&trace),
                                                  QVariant::fromValue<QObject *>(&markers),
                                                  QVariant::fromValue<QObject *>(&area)}},
                          {"drawn", QVariantList{QVariant::fromValue<QObject *>(&drawnTrace)}},
                          {"xTitle", timeAxis ? "Time" : "Current, uA"},
                          {"yTitle", "Count rate, cps"},
                          {"xMin", x0},
                          {"xMax", x0 + 6 * dx},
                          {"yMin", 1.0},
                          {"yMax", 10000.0},
                          {"logY", logY},
                          {"timeAxis", timeAxis},
            {"timeTicks", QVariantList{x0 + 10000, x0 + 30000, x0 + 50000}},
                          {"width", 640},
                          {"height", 400}};
        const Drawing drawing = parse(ChartSvgWriter::render(chart));

        QVERIFY(drawing.isSvg);
        QVERIFY2(drawing.texts.contains("Count rate, cps"), qPrintable(drawing.texts.join('|')));
        QVERIFY(drawing.texts.contains(chart.value("xTitle").toString()));
        QVERIFY2(drawing.texts.contains(expectedTick), qPrintable(drawing.texts.join('|')));
        QVERIFY2(drawing.strokes.contains("#d02030"), qPrintable(drawing.strokes.join('|')));
        if (timeAxis)
            QVERIFY2(!drawing.texts.contains("11:00:00"), qPrintable(drawing.texts.join('|')));
    }

    // A trace that leaves the frame is drawn exactly as its part inside, with one legend entry.
    void drawsTracesOnlyInsideTheFrame_data()
    {
        QTest::addColumn<bool>("logY");
        QTest::addColumn<QList<QPointF>>("trace");
        QTest::addColumn<QList<QPointF>>("inside");
        QTest::newRow("through the frame") << false << QList<QPointF>{{-100, -50}, {200, 150}}
                                           << QList<QPointF>{{0, 50.0 / 3}, {100, 250.0 / 3}};
        QTest::newRow("out and back") << false << QList<QPointF>{{50, 50}, {50, 400}, {200, 400}}
                                      << QList<QPointF>{{50, 50}, {50, 100}};
        QTest::newRow("log, zero counts") << true << QList<QPointF>{{10, 10}, {20, 0}, {30, 50}, {40, 10}}
                                          << QList<QPointF>{{30, 50}, {40, 10}};
    }
    void drawsTracesOnlyInsideTheFrame()
    {
        QFETCH(bool, logY);
        QFETCH(QList<QPointF>, trace);
        QFETCH(QList<QPointF>, inside);
        const auto picture = [logY](const QList<QPointF> &points) {
            QLineSeries line;
            line.setName("SSPD 1");
            line.setPen(QPen(QColor(0xd0, 0x20, 0x30), 2));
            line.replace(points);
            const QVariantMap chart{{"series", QVariantList{QVariant::fromValue<QObject *>(&line)}},
                                    {"xMin", 0.0},
                                    {"xMax", 100.0},
                                    {"yMin", 1.0},
                                    {"yMax", 100.0},
                                    {"logY", logY},
                                    {"width", 400},
                                    {"height", 300}};
            const QByteArray document = ChartSvgWriter::render(chart);
            QImage image(400, 300, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            QSvgRenderer(document).render(&painter);
            return std::make_pair(image, parse(document).texts.count("SSPD 1"));
        };
        const auto [drawn, legendEntries] = picture(trace);
        QCOMPARE(legendEntries, 1);
        const QImage expected = picture(inside).first;
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x)
                differing += drawn.pixel(x, y) != expected.pixel(x, y) ? 1 : 0;
        }
        QVERIFY2(differing <= 4, qPrintable(QString::number(differing)));
    }

    void savesOverAnOldFileOrSaysWhy()
    {
        QTemporaryDir dir;
        const QString existing = dir.filePath("chart.svg");
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("old drawing");
        file.close();

        const ChartSvgWriter writer;
        const QVariantMap empty{{"xMin", 0.0}, {"xMax", 1.0}, {"yMin", 0.0}, {"yMax", 1.0}};
        const QString missingFolder = dir.filePath("no/such/folder/chart.svg");
        QCOMPARE(writer.write(missingFolder, empty),
                 QStringLiteral("Couldn't open file: %1").arg(missingFolder));
        QCOMPARE(writer.write(existing, empty), QString());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("<?xml"));
    }
};

QTEST_MAIN(tst_ChartSvgWriter)
#include "tst_ChartSvgWriter.moc"
