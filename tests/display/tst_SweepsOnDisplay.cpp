#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000; ///< the welcome window gives the crate 4 s, slow machines more
constexpr int ShowMs = 10000;        ///< a control, page or dialog shows after a click
constexpr int SweepMs = 60000;       ///< a sweep of a few dozen steps of 0.1 s, on a slow machine
constexpr int HistogramBins = 1000;  ///< the histogram's bins of 1 cps from 0 to 1000
const QColor FirstChannel("#FF4300");
const QColor ProgressFill("#F16321");

/// One detector that counts a few hundred photons a second at its start bias of 21 uA, below its
/// switching current of 24 uA: its count rates fall in the histogram's bins as they start.
const char *const DimCrate = R"({"modules": [{"address": 1, "type": "VT4SDM0",
    "Description": "SSPD driver, channel A", "Firmware": "1.4.2", "Hardware": "2.1",
    "Modification": "0", "UDID": "5654-5344-0001-2019-0A11-0001", "criticalCurrentUa": 24.0,
    "lightLevelCps": 300, "darkCountsCps": 5, "startBiasUa": 21.0}]})";
} // namespace

/// The sweep and histogram pages as a user meets them on a 1280 x 800 display: a sweep past the
/// switching current on a logarithmic axis shows its zero-count tail, a fresh page starts its
/// progress at 0, and a histogram run goes to a file with its bins. Screenshots are kept under
/// test-artefacts/.
class tst_SweepsOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void sweepShowsItsLatchedTail();
    void histogramOfARunIsSaved();

private:
    /// Starts the program on the dim crate and opens the "+" menu's tab `tab`.
    bool openPage(ProgramOnDisplay &program, const QString &tab);
    /// The lines of a saved file without their "\r\n"; comment lines (a header) left out.
    static QList<QByteArray> dataLines(const QString &path);

    std::unique_ptr<XvfbDisplay> m_display;
    std::unique_ptr<SimulatorProcess> m_simulator;
    QTemporaryDir m_files;
};

void tst_SweepsOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    QVERIFY(m_files.isValid());
    QFile crate(m_files.filePath(QStringLiteral("dim.json")));
    QVERIFY(crate.open(QIODevice::WriteOnly) && crate.write(DimCrate) > 0);
    crate.close();
    m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_SweepsOnDisplay"));
    QVERIFY2(m_display->start(), qPrintable(m_display->error()));
    m_simulator =
        std::make_unique<SimulatorProcess>(QStringList{QStringLiteral("--crate"), crate.fileName()});
    QVERIFY(m_simulator->start());
}

bool tst_SweepsOnDisplay::openPage(ProgramOnDisplay &program, const QString &tab)
{
    return program.start(m_simulator->port()) &&
           program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found &&
           program.click(QStringLiteral("plusButton")) && program.click(QStringLiteral("text=") + tab) &&
           program.waitFor(QStringLiteral("startButton"), ShowMs).found;
}

QList<QByteArray> tst_SweepsOnDisplay::dataLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<QByteArray> lines;
    for (const QByteArray &line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            lines << line.chopped(1);
    }
    return lines;
}

void tst_SweepsOnDisplay::sweepShowsItsLatchedTail()
{
    ProgramOnDisplay program(*m_display);
    QVERIFY2(openPage(program, QStringLiteral("CPS(Current)")), qPrintable(program.output()));

    // 20 to 26 uA in 0.5 uA steps on a logarithmic axis: past 24 uA the detector is latched and
    // counts nothing, and those points sit at the bottom of the plot, at its right.
    const QList<QPair<const char *, const char *>> sweep{
        {"from", "20"}, {"to", "26"}, {"step", "0.5"}, {"time_constant", "0.1"}};
    for (const auto &[name, value] : sweep)
        QVERIFY(program.retype(QStringLiteral("parameter_") + QLatin1String(name), QLatin1String(value)));
    QVERIFY(program.click(QStringLiteral("text=log Y")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=Stop"), ShowMs).found);
    QVERIFY2(program.waitFor(QStringLiteral("sweepReturnOffer"), SweepMs).found, "the sweep did not end");
    QTest::qWait(ShowMs / 10); // a frame or two
    const QImage shot(m_display->screenshot(QStringLiteral("cps-current-latched-tail")));
    QVERIFY(!shot.isNull());
    const QRect chart = program.find(QStringLiteral("sweepChart")).rect;
    int tailPixels = 0;
    for (int y = chart.center().y(); y <= chart.bottom(); ++y) {
        for (int x = chart.center().x(); x <= chart.right(); ++x)
            tailPixels += shot.pixelColor(x, y) == FirstChannel ? 1 : 0;
    }
    QVERIFY2(tailPixels > 4 * 20, qPrintable(QString::number(tailPixels))); // 4 markers at least

    // "Fit all" keeps them; the offer sets the channel back to its 21 uA.
    QVERIFY(program.click(QStringLiteral("fitAllButton")));
    const auto offer = program.find(QStringLiteral("sweepReturnText"));
    QVERIFY2(offer.text.startsWith(QStringLiteral("Return SSPD 1 to 21.00 \u03BCA and ")),
             qPrintable(offer.text));
    QVERIFY(program.click(QStringLiteral("returnButton")));
    QVERIFY(!program.waitFor(QStringLiteral("returnButton"), ShowMs / 10).found);

    // Another sweep page starts with its own empty progress bar.
    QVERIFY(program.click(QStringLiteral("plusButton")));
    QVERIFY(program.click(QStringLiteral("text=CPS(Trigger)")));
    QVERIFY(program.waitFor(QStringLiteral("text=From (mV):"), ShowMs).found);
    QTest::qWait(ShowMs / 10);
    const QImage fresh(m_display->screenshot(QStringLiteral("cps-trigger-fresh")));
    const QRect bar = program.find(QStringLiteral("sweepProgress")).rect;
    QVERIFY(bar.isValid());
    QVERIFY(fresh.pixelColor(bar.right() - bar.height(), bar.center().y()) != ProgressFill);

    QVERIFY(program.quit());
}

void tst_SweepsOnDisplay::histogramOfARunIsSaved()
{
    ProgramOnDisplay program(*m_display);
    QVERIFY2(openPage(program, QStringLiteral("Histogram (cps)")), qPrintable(program.output()));
    QVERIFY(program.retype(QStringLiteral("parameter_time_constant"), QStringLiteral("0.2")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=Stop"), ShowMs).found);
    QVERIFY(program
                .waitFor(QStringLiteral("pageStatus"), ShowMs,
                         [](const auto &item) { return item.text.startsWith(QLatin1String("cps: ")); })
                .found);
    QTest::qWait(ShowMs / 2);
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=Start"), ShowMs).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("histogram-run")).isEmpty());

    // Both kinds of data file hold one line per bin: its middle and its count.
    for (const QString &entry : {QStringLiteral("Data..."), QStringLiteral("Data with header...")}) {
        const QString path = m_files.filePath(entry.left(4) + QString::number(entry.size()) + ".txt");
        // The dialog of the save before must have gone, or its closing name field takes the typing.
        QVERIFY(QTest::qWaitFor([&] { return !program.find(QStringLiteral("fileNameTextField")).found; },
                                ShowMs));
        QVERIFY2(program.saveFromChart(entry, path), qPrintable(entry));
        const QList<QByteArray> lines = dataLines(path);
        QCOMPARE(lines.size(), HistogramBins);
        double counts = 0;
        for (int bin = 0; bin < lines.size(); ++bin) {
            const QList<QByteArray> fields = lines.at(bin).split('\t');
            QCOMPARE(fields.size(), 2);
            QCOMPARE(fields.at(0), QByteArray::number(bin + 0.5, 'f', 6));
            counts += fields.at(1).toDouble();
        }
        // A reading every 0.2 s for 5 s, some of them above 1000 cps.
        QVERIFY2(counts >= 5 && counts <= 40, qPrintable(QString::number(counts)));
    }
    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_SweepsOnDisplay)
#include "tst_SweepsOnDisplay.moc"
