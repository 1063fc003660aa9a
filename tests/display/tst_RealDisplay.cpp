#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000; ///< the welcome window gives the crate 4 s, slow machines more
constexpr int SettleMs = 5000;       ///< "5 s later": whatever was going to appear has appeared
constexpr int ShowMs = 10000;        ///< a control, page or dialog shows after a click

/// A loopback port on which nothing listens (a connection there is refused).
quint16 unusedPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

/// The hexadecimal image of a float as the simulator prints module messages ("00 00 48 41").
QString floatBytes(float value)
{
    QByteArray bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return QString::fromLatin1(bytes.toHex(' '));
}
} // namespace

/// The program as a user meets it on a 1280 x 800 display with a window manager: which windows
/// are mapped and stacked where, what the controls show, and what reaches the crate when the
/// user clicks and types. Screenshots of the whole display are kept under test-artefacts/.
class tst_RealDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void withoutCrateShowsFormThenConnects();
    void withCrateShowsMainWindowAlone();
    void withoutWindowManagerMainWindowFillsScreen();
    void cpsCurrentSweepRunsToItsEnd();

private:
    /// Empty when the main window is the program's only mapped window, maximised and on top.
    QString mainWindowAlone(ProgramOnDisplay &program) const;
    /// Starts the program and waits until its main window shows the home page.
    void startConnected(ProgramOnDisplay &program, const SimulatorProcess &simulator);

    std::unique_ptr<XvfbDisplay> m_display;
};

void tst_RealDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_RealDisplay"));
    QVERIFY2(m_display->start(), qPrintable(m_display->error()));
}

QString tst_RealDisplay::mainWindowAlone(ProgramOnDisplay &program) const
{
    const QList<XvfbDisplay::Window> windows = m_display->visibleWindows(program.pid());
    if (windows.size() != 1)
        return QStringLiteral("%1 windows of the program are mapped").arg(windows.size());
    const XvfbDisplay::Window &main = windows.first();
    if (main.name != QLatin1String("SNSPD Vantrel Lab"))
        return QStringLiteral("the mapped window is \"%1\"").arg(main.name);
    const QStringList states = m_display->windowStates(main.id);
    if (!states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_VERT")) ||
        !states.contains(QLatin1String("_NET_WM_STATE_MAXIMIZED_HORZ")))
        return QStringLiteral("the main window is not maximised: ") + states.join(QLatin1Char(' '));
    const QStringList stacking = m_display->stackingOrder();
    if (stacking.isEmpty() || stacking.last() != main.id)
        return QStringLiteral("another window is above the main window");
    return {};
}

void tst_RealDisplay::startConnected(ProgramOnDisplay &program, const SimulatorProcess &simulator)
{
    QVERIFY(program.start(simulator.port()));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));
}

void tst_RealDisplay::withoutCrateShowsFormThenConnects()
{
    const quint16 port = unusedPort();
    ProgramOnDisplay program(*m_display);
    QVERIFY(program.start(port));

    // Nobody answers: the welcome window stays and offers the form, enabled, with the failure.
    const auto status = program.waitFor(QStringLiteral("formStatus"), ConnectWaitMs, [](const auto &item) {
        return item.text.startsWith(QLatin1String("Connection failure!"));
    });
    QVERIFY2(status.found, qPrintable(program.output()));
    QVERIFY2(status.text.contains(QLatin1String("refused the connection")), qPrintable(status.text));
    const auto form = program.find(QStringLiteral("connectionForm"));
    QVERIFY(form.found && form.enabled);
    // The form starts from the stored address, so Connect works at once.
    QCOMPARE(program.find(QStringLiteral("addressBox")).text, QStringLiteral("127.000.000.001"));
    QVERIFY(program.find(QStringLiteral("connectButton")).enabled);
    const auto windows = m_display->visibleWindows(program.pid());
    QCOMPARE(windows.size(), 1);
    QVERIFY(windows.first().geometry.contains(form.rect));
    QVERIFY(!m_display->screenshot(QStringLiteral("no-crate-form")).isEmpty());

    // A crate comes up on the stored address; Connect brings the main window, alone.
    SimulatorProcess simulator({QStringLiteral("--port"), QString::number(port)});
    QVERIFY(simulator.start());
    QVERIFY(program.click(QStringLiteral("connectButton")));
    QVERIFY(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found);
    QTest::qWait(SettleMs);
    const QString alone = mainWindowAlone(program);
    QVERIFY2(alone.isEmpty(), qPrintable(alone));
    QVERIFY(!m_display->screenshot(QStringLiteral("connected-from-form")).isEmpty());
    QVERIFY(program.quit());
}

void tst_RealDisplay::withCrateShowsMainWindowAlone()
{
    SimulatorProcess simulator(
        {QStringLiteral("--crate"), QStringLiteral(VT_DEMO_CRATE), QStringLiteral("--verbose-modules")});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    startConnected(program, simulator);
    QTest::qWait(SettleMs);
    QString alone = mainWindowAlone(program);
    QVERIFY2(alone.isEmpty(), qPrintable(alone));
    QVERIFY(!m_display->screenshot(QStringLiteral("home")).isEmpty());
    const QRect listBefore = program.find(QStringLiteral("moduleList")).rect;

    // The four-channel thermometer (6) keeps its switch, disabled, and hovering says why.
    const auto thermometerSwitch = program.find(QStringLiteral("operateSwitch6"));
    QVERIFY(thermometerSwitch.found && !thermometerSwitch.enabled);
    QVERIFY(program.find(QStringLiteral("operateSwitch1")).enabled);
    QVERIFY(m_display->moveMouse(thermometerSwitch.center()));
    QVERIFY(
        program.waitFor(QStringLiteral("text=This module is not controlled from this screen"), ShowMs).found);

    // A bias typed into the first channel's spin box reaches the module as its set point.
    const auto bias = program.waitFor(QStringLiteral("biasSpinBox"), ShowMs);
    QVERIFY(bias.found);
    QVERIFY(m_display->click(bias.center()));
    QVERIFY(m_display->keys({QStringLiteral("ctrl+a")}));
    QVERIFY(m_display->type(QStringLiteral("12.5")));
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    QVERIFY2(simulator.waitForLine(QStringLiteral("module request 1 18 ") + floatBytes(12.5e-6F), ShowMs),
             "the typed bias did not reach module 1");
    // A bias out of range is refused, and the box says so.
    QVERIFY(m_display->click(bias.center()));
    QVERIFY(m_display->keys({QStringLiteral("ctrl+a")}));
    QVERIFY(m_display->type(QStringLiteral("3000")));
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    QVERIFY(program
                .waitFor(QStringLiteral("text=Out of range -100.0 \u2026 100.0: kept the previous value"),
                         ShowMs)
                .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("bias-refused")).isEmpty());

    // The dialog "Turn on/off all" opens in the main window with nothing above it.
    QVERIFY(program.click(QStringLiteral("settingsButton")));
    QVERIFY(program.click(QStringLiteral("text=Turn on/off all")));
    QVERIFY(program.waitFor(QStringLiteral("turnOnAllList"), ShowMs).found);
    alone = mainWindowAlone(program);
    QVERIFY2(alone.isEmpty(), qPrintable(alone));
    QVERIFY(!m_display->screenshot(QStringLiteral("turn-on-all")).isEmpty());
    QVERIFY(program.click(QStringLiteral("text=Close")));

    // The "+" menu opens a chart page.
    QVERIFY(program.click(QStringLiteral("plusButton")));
    QVERIFY(program.click(QStringLiteral("text=CPS(Time)")));
    QVERIFY(program.waitFor(QStringLiteral("startButton"), ShowMs).found);

    // The chart page's status stays on it: Home neither shows it nor moves its list.
    QVERIFY(program.click(QStringLiteral("text=SSPD 1")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program
                .waitFor(QStringLiteral("pageStatus"), ShowMs,
                         [](const auto &item) { return item.text.contains(QLatin1String(" cps")); })
                .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("cps-time")).isEmpty());
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.click(QStringLiteral("text=\u2302  Home")));
    const auto list = program.waitFor(QStringLiteral("moduleList"), ShowMs);
    QCOMPARE(list.rect, listBefore);
    QVERIFY(!program.find(QStringLiteral("homeStatus")).text.contains(QLatin1String("cps")));

    // Reconnect brings the welcome window back alone; connecting again leaves the main window alone.
    QVERIFY(program.click(QStringLiteral("settingsButton")));
    QVERIFY(program.click(QStringLiteral("text=Reconnect")));
    QVERIFY(program.waitFor(QStringLiteral("connectButton"), ShowMs).found);
    QCOMPARE(m_display->visibleWindows(program.pid()).size(), 1);
    QVERIFY(!program.find(QStringLiteral("moduleList")).found);
    QVERIFY(!program.find(QStringLiteral("formStatus")).text.contains(QLatin1String("cps")));
    QVERIFY(program.click(QStringLiteral("connectButton")));
    QVERIFY(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found);
    QTest::qWait(SettleMs);
    alone = mainWindowAlone(program);
    QVERIFY2(alone.isEmpty(), qPrintable(alone));
    QVERIFY(program.quit());
}

void tst_RealDisplay::withoutWindowManagerMainWindowFillsScreen()
{
    XvfbDisplay bare(QStringLiteral(VT_ARTEFACT_DIR "/tst_RealDisplay"), XvfbDisplay::WithoutWindowManager);
    QVERIFY2(bare.start(), qPrintable(bare.error()));
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    ProgramOnDisplay program(bare);
    QVERIFY(program.start(simulator.port()));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));
    QTest::qWait(SettleMs);
    // Nobody maximises the window here: it sizes itself to the screen, and the splash is gone.
    const QList<XvfbDisplay::Window> windows = bare.visibleWindows(program.pid());
    QCOMPARE(windows.size(), 1);
    QCOMPARE(windows.first().geometry, QRect(QPoint(0, 0), bare.size()));
    QVERIFY(!bare.screenshot(QStringLiteral("no-window-manager")).isEmpty());
}

void tst_RealDisplay::cpsCurrentSweepRunsToItsEnd()
{
    SimulatorProcess simulator({QStringLiteral("--crate"), QStringLiteral(VT_DEMO_CRATE)});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    startConnected(program, simulator);
    // The histogram page first: the sweep pages share one parameter list, and the sweep page
    // opened next must title its rows by its own group, not the histogram's.
    QVERIFY(program.click(QStringLiteral("plusButton")));
    QVERIFY(program.click(QStringLiteral("text=Histogram (cps)")));
    QVERIFY(program.waitFor(QStringLiteral("text=Histogram"), ShowMs).found);
    QVERIFY(program.click(QStringLiteral("plusButton")));
    QVERIFY(program.click(QStringLiteral("text=CPS(Current)")));
    QVERIFY(program.waitFor(QStringLiteral("text=Bias source"), ShowMs).found);
    QVERIFY(!program.find(QStringLiteral("text=Histogram")).found);

    // Channel 1 from 15 to 17 uA in 0.2 uA steps, 0.1 s each.
    QVERIFY(program.retype(QStringLiteral("parameter_to"), QStringLiteral("17")));
    QVERIFY(program.retype(QStringLiteral("parameter_step"), QStringLiteral("0.2")));
    QVERIFY(program.retype(QStringLiteral("parameter_time_constant"), QStringLiteral("0.1")));
    QVERIFY(program.click(QStringLiteral("startButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=Stop"), ShowMs).found);
    QVERIFY2(program.waitFor(QStringLiteral("text=Start"), ConnectWaitMs).found, "the sweep did not end");
    QTest::qWait(SettleMs / 5); // a frame or two

    // The progress bar is full and the curve is drawn in the first series colour.
    const QImage shot(m_display->screenshot(QStringLiteral("cps-current-sweep")));
    QVERIFY(!shot.isNull());
    const QRect bar = program.find(QStringLiteral("sweepProgress")).rect;
    QVERIFY(bar.isValid());
    QCOMPARE(shot.pixelColor(bar.right() - bar.height(), bar.center().y()), QColor("#F16321"));
    const QRect chart = program.find(QStringLiteral("sweepChart")).rect;
    int curvePixels = 0;
    for (int y = chart.top(); y <= chart.bottom(); ++y) {
        for (int x = chart.left(); x <= chart.right(); ++x)
            curvePixels += shot.pixelColor(x, y) == QColor("#FF4300") ? 1 : 0;
    }
    QVERIFY2(curvePixels > 11 * 20, qPrintable(QString::number(curvePixels))); // 11 markers at least

    // The data goes to a file whose absolute path is typed into the save dialog: one "x\ty" line
    // per point, six decimals, in the order of the sweep.
    QTemporaryDir exports;
    QVERIFY(exports.isValid());
    const QString exported = exports.filePath(QStringLiteral("sweep.txt"));
    QVERIFY(program.saveFromChart(QStringLiteral("Data..."), exported));
    QFile file(exported);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    QVERIFY(lines.takeLast().isEmpty()); // the last line has its end too
    QVERIFY2(lines.size() >= 11, qPrintable(QString::number(lines.size())));
    double lastX = 0;
    for (const QByteArray &line : std::as_const(lines)) {
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 2);
        QVERIFY2(fields.at(1).endsWith('\r') && fields.at(0).split('.').value(1).size() == 6,
                 line.constData());
        const double x = fields.at(0).toDouble();
        // The last point is the first one past "to", at 17.2 uA.
        QVERIFY2(x > lastX && x > 14.9 && x < 17.3, line.constData());
        lastX = x;
    }
    QVERIFY(!m_display->screenshot(QStringLiteral("cps-current-sweep-saved")).isEmpty());

    // The same chart as a vector drawing, with its axis titles.
    const QString drawing = exports.filePath(QStringLiteral("sweep.svg"));
    QVERIFY(program.saveFromChart(QStringLiteral("Drawing (SVG)..."), drawing));
    QFile svg(drawing);
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray document = svg.readAll();
    QVERIFY2(document.contains("<svg") && document.contains("cps"), document.left(400).constData());

    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_RealDisplay)
#include "tst_RealDisplay.moc"
