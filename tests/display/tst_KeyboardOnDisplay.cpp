#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;
constexpr int ShowMs = 10000;
constexpr int DisplayStartAttempts = 3;
constexpr int HoldMs = 3000;        ///< longer than a press-and-hold button's 2 s, with key repeat
constexpr int SettleProbeMs = 500;  ///< a fade or a window manager's move reaches the screen
constexpr int ReadingsMs = 4000;    ///< a few stage readings reach the recycle chart
constexpr int DragBy = 120;         ///< px the window is moved and shrunk by
constexpr int FirstModule = 1;      ///< SSPD M0 of the built-in crate
constexpr int CalibratedModule = 3; ///< SSPD M1 of the built-in crate, with EEPROM constants
constexpr double PhaseSeconds = 6;  ///< each recycle phase: 0.1 min, the shortest the page takes

const QLatin1String MaximisedState("_NET_WM_STATE_MAXIMIZED_VERT");
const QLatin1String HiddenState("_NET_WM_STATE_HIDDEN");

int seconds(const QString &clock)
{
    const QStringList parts = clock.split(QLatin1Char(':'));
    return parts.size() == 3 ? parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt() : -1;
}
} // namespace

/// The main window's own title bar and the screens driven by the keyboard alone, on a real
/// display with openbox: held Space on a press-and-hold button, Tab through the device manager,
/// Enter on a dialog's default button, Esc after a nested dialog, and the recycle page's phase.
class tst_KeyboardOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void titleBarButtonsMoveResizeAndRestore();
    void deviceManagerByKeyboard();
    void recycleShowsThePhaseRemaining();
    void cleanupTestCase();

private:
    QStringList mainWindowStates() const { return m_display->windowStates(m_window.id); }
    XvfbDisplay::Window mainWindow() const;

    std::unique_ptr<XvfbDisplay> m_display;
    std::unique_ptr<SimulatorProcess> m_simulator;
    std::unique_ptr<ProgramOnDisplay> m_program;
    XvfbDisplay::Window m_window;
};

void tst_KeyboardOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    for (int attempt = 0; attempt < DisplayStartAttempts && !m_display; ++attempt) {
        m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_KeyboardOnDisplay"));
        if (!m_display->start())
            m_display.reset();
    }
    QVERIFY2(m_display, "no test display started");
    m_simulator = std::make_unique<SimulatorProcess>();
    QVERIFY(m_simulator->start());
    m_program = std::make_unique<ProgramOnDisplay>(*m_display);
    QVERIFY(m_program->start(m_simulator->port()));
    QVERIFY2(m_program->waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(m_program->output()));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindow().geometry.width() > m_display->size().width() / 2, ShowMs);
    m_window = mainWindow();
}

XvfbDisplay::Window tst_KeyboardOnDisplay::mainWindow() const
{
    const QList<XvfbDisplay::Window> windows = m_display->visibleWindows(m_program->pid());
    return windows.size() == 1 ? windows.first() : XvfbDisplay::Window{};
}

void tst_KeyboardOnDisplay::titleBarButtonsMoveResizeAndRestore()
{
    // Frameless, yet maximised by the window manager, with the style's buttons in its corner.
    QVERIFY(mainWindowStates().contains(MaximisedState));
    const auto close = m_program->waitFor(QStringLiteral("windowClose"), ShowMs);
    QVERIFY(close.found);
    QCOMPARE(close.rect.right(), m_window.geometry.right());
    QCOMPARE(close.rect.top(), m_window.geometry.top());
    QVERIFY(!m_display->screenshot(QStringLiteral("maximised")).isEmpty());

    QVERIFY(m_program->clickSettled(QStringLiteral("windowMaximize")));
    QTRY_VERIFY_WITH_TIMEOUT(!mainWindowStates().contains(MaximisedState), ShowMs);
    QTest::qWait(SettleProbeMs);

    // The bottom-right corner resizes the window (its normal size fills the screen), the title
    // bar moves it.
    const QRect restored = mainWindow().geometry;
    QVERIFY(m_display->drag(restored.bottomRight(), restored.bottomRight() - QPoint(DragBy, DragBy)));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindow().geometry.size() == restored.size() - QSize(DragBy, DragBy), ShowMs);
    QCOMPARE(mainWindow().geometry.topLeft(), restored.topLeft());
    const auto minimise = m_program->waitSettled(QStringLiteral("windowMinimize"));
    const QPoint onBar(minimise.rect.left() - DragBy * 2, minimise.center().y());
    QVERIFY(m_display->drag(onBar, onBar + QPoint(DragBy, DragBy)));
    // The window manager takes over once the drag passes its threshold, from where it is then.
    const auto movedAlong = [&] {
        const QPoint by = mainWindow().geometry.topLeft() - restored.topLeft();
        return by.x() > DragBy / 2 && by.x() <= DragBy && by.y() > DragBy / 2 && by.y() <= DragBy;
    };
    QTRY_VERIFY_WITH_TIMEOUT(movedAlong(), ShowMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("moved-and-resized")).isEmpty());

    QVERIFY(m_program->clickSettled(QStringLiteral("windowMaximize")));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindowStates().contains(MaximisedState), ShowMs);

    // Minimised, then brought back as a task bar does: maximised again.
    QVERIFY(m_program->clickSettled(QStringLiteral("windowMinimize")));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindowStates().contains(HiddenState), ShowMs);
    QVERIFY(m_display->visibleWindows(m_program->pid()).isEmpty());
    QVERIFY(m_display->activateWindow(m_window.id));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindow().geometry.width() == m_window.geometry.width(), ShowMs);
    QVERIFY(mainWindowStates().contains(MaximisedState));
}

void tst_KeyboardOnDisplay::deviceManagerByKeyboard()
{
    QVERIFY(m_program->clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(m_program->clickSettled(QStringLiteral("deviceManagerItem")));
    QVERIFY(m_program->waitSettled(QStringLiteral("deviceManagerList")).found);

    // Tab passes Close and reaches the first entry; Space opens it.
    QVERIFY(m_display->keys({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("space")}));
    QVERIFY(m_program->waitFor(QStringLiteral("constantsButton%1").arg(FirstModule), ShowMs).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("device-manager-entry-by-tab")).isEmpty());

    // Space held down repeats; the button still fires once its two seconds are up.
    const auto hold = m_program->waitSettled(QStringLiteral("text=Units reset"));
    QVERIFY(hold.found);
    QVERIFY(m_display->click(hold.center())); // a click gives the focus and runs nothing
    m_simulator->clearLines();
    QVERIFY(m_display->holdKey(QStringLiteral("space"), HoldMs));
    QVERIFY2(m_simulator->waitForLine(QStringLiteral("SYST:URES"), ShowMs),
             "held Space did not run the reset");

    // The editor over the device manager; Enter takes the write dialog's default button, then
    // Esc closes the editor and a second Esc the device manager, with no click between.
    QVERIFY(m_program->clickSettled(QStringLiteral("moduleHeader%1").arg(CalibratedModule)));
    QVERIFY(m_program->clickSettled(QStringLiteral("constantsButton%1").arg(CalibratedModule)));
    QVERIFY(m_program->clickSettled(QStringLiteral("factoryPassword")));
    QVERIFY(m_display->type(QStringLiteral("lumbrix")));
    QVERIFY(m_program->clickSettled(QStringLiteral("eepromMenuButton")));
    QVERIFY(m_program->clickSettled(QStringLiteral("text=Write EEPROM")));
    QVERIFY(m_program->waitSettled(QStringLiteral("text=Yes")).found);
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("write-eeprom-question")).isEmpty());
    m_simulator->clearLines();
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    QTRY_VERIFY_WITH_TIMEOUT(!m_program->find(QStringLiteral("text=Yes")).found, ShowMs);
    QVERIFY(m_program->find(QStringLiteral("eepromMenuButton")).found);
    QVERIFY(m_display->keys({QStringLiteral("Escape")}));
    QTRY_VERIFY_WITH_TIMEOUT(!m_program->find(QStringLiteral("eepromMenuButton")).found, ShowMs);
    QVERIFY(m_program->find(QStringLiteral("deviceManagerList")).found);
    QVERIFY(m_display->keys({QStringLiteral("Escape")}));
    QTRY_VERIFY_WITH_TIMEOUT(!m_program->find(QStringLiteral("deviceManagerList")).found, ShowMs);

    // On Home, Tab brings the focus mark to a switch.
    QVERIFY(m_display->keys({QStringLiteral("Tab")}));
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("home-after-tab")).isEmpty());
}

void tst_KeyboardOnDisplay::recycleShowsThePhaseRemaining()
{
    QVERIFY(m_program->clickSettled(QStringLiteral("plusButton")));
    QVERIFY(m_program->clickSettled(QStringLiteral("text=Recycle")));
    for (const char *box : {"heatingMinutes", "thermalizationMinutes", "coolingMinutes"})
        QVERIFY(m_program->retype(QLatin1String(box), QStringLiteral("0.1")));
    QTest::qWait(ReadingsMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("recycle-idle")).isEmpty());

    QVERIFY(m_program->clickSettled(QStringLiteral("startRecycleButton")));
    QVERIFY(m_program->waitSettled(QStringLiteral("startRecycleDialogText")).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("recycle-start-question")).isEmpty());
    QVERIFY(m_display->keys({QStringLiteral("Return")}));

    // Heating first: its own few seconds, with the two later phases still to come.
    static const QRegularExpression Remaining(QStringLiteral("^Remaining (\\S+) \\(recycle (\\S+)\\)$"));
    const auto remaining =
        m_program->waitFor(QStringLiteral("recycleRemaining"), ShowMs,
                           [](const auto &item) { return Remaining.match(item.text).hasMatch(); });
    QVERIFY2(remaining.found, qPrintable(remaining.text));
    const QRegularExpressionMatch match = Remaining.match(remaining.text);
    const int phase = seconds(match.captured(1));
    const int total = seconds(match.captured(2));
    QVERIFY2(phase >= 0 && phase <= PhaseSeconds, qPrintable(remaining.text));
    QVERIFY2(total >= phase + PhaseSeconds, qPrintable(remaining.text));
    QVERIFY(!m_display->screenshot(QStringLiteral("recycle-heating")).isEmpty());

    QVERIFY(m_program->clickSettled(QStringLiteral("abortRecycleButton")));
    QVERIFY(m_program->waitSettled(QStringLiteral("abortRecycleDialogText")).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("recycle-abort-question")).isEmpty());
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    QTRY_VERIFY_WITH_TIMEOUT(!m_program->find(QStringLiteral("recycleRemaining")).found, ShowMs);
}

void tst_KeyboardOnDisplay::cleanupTestCase()
{
    // The window manager's close still ends the frameless window's program cleanly.
    if (m_program)
        QVERIFY(m_program->quit());
}

QTEST_GUILESS_MAIN(tst_KeyboardOnDisplay)
#include "tst_KeyboardOnDisplay.moc"
