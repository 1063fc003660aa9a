#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;  ///< the welcome window gives the crate 4 s, slow machines more
constexpr int ShowMs = 10000;         ///< a control, page or dialog shows after a click
constexpr int TraceMs = 6000;         ///< a few seconds of a trace at the default 1 s period
const QColor FirstChannel("#FF4300"); ///< the colour of the first channel a session charts
const QColor SecondChannel("#0075B9");
} // namespace

/// The chart pages as a user meets them on a 1280 x 800 display: what the plot shows while a
/// trace runs and across runs, and what its saved picture and drawing hold. Screenshots, the
/// saved PNG and the SVG drawn again as a picture are kept under test-artefacts/.
class tst_ChartsOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void temperatureChartSavesWhatItShows();
    void channelsKeepTheirColoursAcrossRuns();
    void sweepDrawingShowsTheSweep();

private:
    /// Saves the chart as a drawing at `path` and keeps it, drawn again as a picture, as `name`.png.
    QByteArray saveDrawing(ProgramOnDisplay &program, const QString &path, const QString &name);
    /// Starts the program on the demo crate and opens the "+" menu's tab `tab`.
    bool openChartPage(ProgramOnDisplay &program, const QString &tab);
    /// Pixels of `color` inside `area` of `image`.
    static int pixelsOf(const QImage &image, const QRect &area, const QColor &color);

    std::unique_ptr<XvfbDisplay> m_display;
    std::unique_ptr<SimulatorProcess> m_simulator;
    QTemporaryDir m_files;
};

void tst_ChartsOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_ChartsOnDisplay"));
    QVERIFY2(m_display->start(), qPrintable(m_display->error()));
    m_simulator = std::make_unique<SimulatorProcess>(
        QStringList{QStringLiteral("--crate"), QStringLiteral(VT_DEMO_CRATE)});
    QVERIFY(m_simulator->start());
    QVERIFY(m_files.isValid());
}

bool tst_ChartsOnDisplay::openChartPage(ProgramOnDisplay &program, const QString &tab)
{
    return program.start(m_simulator->port()) &&
           program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found &&
           program.click(QStringLiteral("plusButton")) && program.click(QStringLiteral("text=") + tab) &&
           program.waitFor(QStringLiteral("startButton"), ShowMs).found;
}

int tst_ChartsOnDisplay::pixelsOf(const QImage &image, const QRect &area, const QColor &color)
{
    int count = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            count += image.pixelColor(x, y) == color ? 1 : 0;
    }
    return count;
}

QByteArray tst_ChartsOnDisplay::saveDrawing(ProgramOnDisplay &program, const QString &path,
                                            const QString &name)
{
    QFile file(path);
    if (!program.saveFromChart(QStringLiteral("Drawing (SVG)..."), path) || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray drawing = file.readAll();
    QSvgRenderer renderer(drawing);
    QImage drawn(renderer.defaultSize(), QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    return renderer.isValid() &&
                   drawn.save(QStringLiteral(VT_ARTEFACT_DIR "/tst_ChartsOnDisplay/") + name + ".png")
               ? drawing
               : QByteArray();
}

void tst_ChartsOnDisplay::temperatureChartSavesWhatItShows()
{
    ProgramOnDisplay program(*m_display);
    QVERIFY2(openChartPage(program, QStringLiteral("Temp(Time)")), qPrintable(program.output()));
    QVERIFY(program.click(QStringLiteral("text=Temperature 5")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program
                .waitFor(QStringLiteral("pageStatus"), ShowMs,
                         [](const auto &item) { return item.text.contains(QLatin1String(" K")); })
                .found);
    QTest::qWait(TraceMs);
    const QDateTime shown = QDateTime::currentDateTimeUtc();
    const QImage screen(m_display->screenshot(QStringLiteral("temp-time")));
    QVERIFY(!screen.isNull());
    // The time axis names itself once, below its labels.
    QVERIFY(program.find(QStringLiteral("text=Time, hh:mm:ss")).found);

    // The picture is the legend and the plot, without the tool buttons above them.
    const QString picturePath = m_files.filePath(QStringLiteral("temperature.png"));
    QVERIFY(program.saveFromChart(QStringLiteral("Image (PNG)..."), picturePath));
    QImage picture;
    QVERIFY(QTest::qWaitFor([&] { return picture.load(picturePath); }, ShowMs));
    const QRect pictureArea = program.find(QStringLiteral("chartPicture")).rect;
    QCOMPARE(picture.size(), pictureArea.size());
    QVERIFY(pictureArea.top() > program.find(QStringLiteral("saveButton")).rect.bottom());
    QVERIFY(picture.save(QStringLiteral(VT_ARTEFACT_DIR "/tst_ChartsOnDisplay/saved-temperature.png")));

    // The drawing spans the minutes on the screen, names its trace and keeps it in the frame.
    const QByteArray drawing = saveDrawing(program, m_files.filePath(QStringLiteral("temperature.svg")),
                                           QStringLiteral("saved-temperature-svg"));
    QVERIFY(drawing.contains("Temperature 5"));
    QVERIFY2(drawing.contains(shown.toString(QStringLiteral("hh:mm")).toLatin1()) ||
                 drawing.contains(shown.addSecs(-60).toString(QStringLiteral("hh:mm")).toLatin1()),
             drawing.left(2000).constData());
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.quit());
}

void tst_ChartsOnDisplay::channelsKeepTheirColoursAcrossRuns()
{
    ProgramOnDisplay program(*m_display);
    QVERIFY2(openChartPage(program, QStringLiteral("CPS(Time)")), qPrintable(program.output()));
    QVERIFY(program.click(QStringLiteral("text=SSPD 1")));
    QVERIFY(program.click(QStringLiteral("text=SSPD 2")));
    for (int run = 0; run < 3; ++run) {
        QVERIFY(program.click(QStringLiteral("startButton")));
        QVERIFY(program.waitFor(QStringLiteral("text=Stop"), ShowMs).found);
        QTest::qWait(TraceMs / 2);
        if (run < 2)
            QVERIFY(program.click(QStringLiteral("startButton")));
    }
    // Earlier runs are numbered, each name once.
    QVERIFY(program.find(QStringLiteral("text=SSPD 1 (previous)")).found);
    QVERIFY(program.find(QStringLiteral("text=SSPD 1 (previous 2)")).found);
    QVERIFY(program.find(QStringLiteral("text=SSPD 2 (previous 2)")).found);

    // While the third run goes on, the vertical range is typed and the axis made logarithmic.
    QVERIFY(program.click(QStringLiteral("yAutoscale")));
    QVERIFY(
        program.waitFor(QStringLiteral("yMax"), ShowMs, [](const auto &item) { return item.enabled; }).found);
    QVERIFY(program.retype(QStringLiteral("yMax"), QStringLiteral("5e6")));
    QVERIFY(program.retype(QStringLiteral("yMin"), QStringLiteral("1000")));
    QVERIFY(program.click(QStringLiteral("text=log Y")));
    QTest::qWait(TraceMs / 2);
    QCOMPARE(program.find(QStringLiteral("yMax")).text, QStringLiteral("5000000"));
    QVERIFY(program.find(QStringLiteral("text=Stop")).found);

    // The live traces are drawn in the channels' first colours still.
    const QImage screen(m_display->screenshot(QStringLiteral("cps-time-third-run")));
    const QRect plot = program.find(QStringLiteral("chartPicture")).rect;
    QVERIFY2(pixelsOf(screen, plot, FirstChannel) > 200,
             qPrintable(QString::number(pixelsOf(screen, plot, FirstChannel))));
    QVERIFY2(pixelsOf(screen, plot, SecondChannel) > 200,
             qPrintable(QString::number(pixelsOf(screen, plot, SecondChannel))));
    QVERIFY(program.click(QStringLiteral("startButton")));

    // The driver page has Y limits of its own.
    QVERIFY(program.click(QStringLiteral("text=\u2302  Home")));
    QVERIFY(program.click(QStringLiteral("text=#1")));
    QVERIFY(program.waitFor(QStringLiteral("parameterPanel"), ShowMs).found);
    QVERIFY(program.waitFor(QStringLiteral("yAutoscale"), ShowMs).found);
    QTest::qWait(TraceMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("sspd-driver")).isEmpty());
    QVERIFY(program.quit());
}

void tst_ChartsOnDisplay::sweepDrawingShowsTheSweep()
{
    ProgramOnDisplay program(*m_display);
    QVERIFY2(openChartPage(program, QStringLiteral("CPS(Current)")), qPrintable(program.output()));
    // Channel 1 from 15 to 17 uA in 0.2 uA steps, 0.1 s each, then shown on a log axis.
    QVERIFY(program.retype(QStringLiteral("parameter_to"), QStringLiteral("17")));
    QVERIFY(program.retype(QStringLiteral("parameter_step"), QStringLiteral("0.2")));
    QVERIFY(program.retype(QStringLiteral("parameter_time_constant"), QStringLiteral("0.1")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=Stop"), ShowMs).found);
    QVERIFY2(program.waitFor(QStringLiteral("text=Start"), ConnectWaitMs).found, "the sweep did not end");
    QVERIFY(program.click(QStringLiteral("text=log Y")));
    QTest::qWait(ShowMs / 10); // a frame or two
    QVERIFY(!m_display->screenshot(QStringLiteral("cps-current")).isEmpty());
    const QByteArray drawing = saveDrawing(program, m_files.filePath(QStringLiteral("sweep.svg")),
                                           QStringLiteral("saved-cps-current-svg"));
    QVERIFY(drawing.contains("SSPD 1"));
    QVERIFY(drawing.contains("Current, "));
    QVERIFY(program.quit());
}

QTEST_MAIN(tst_ChartsOnDisplay)
#include "tst_ChartsOnDisplay.moc"
