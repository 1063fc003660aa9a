#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int Lanes = 3;               ///< programs quitting at the same time, each on its own display
constexpr int Rounds = VT_QUIT_ROUNDS; ///< quits per state: 20 in the sanitizer build, fewer in the plain one
constexpr int StateWaitMs = 60000;     ///< start-up and connect under the sanitizer on a loaded machine
constexpr int ShowMs = 20000;
constexpr int HangMs = 5000; ///< a quit slower than this hangs (a silent crate once held it 150 s)
constexpr int PollMs = 10;

/// What the program is doing when it is asked to quit.
enum class State
{
    Connecting, ///< its TCP connect is not answered
    TypeReads,  ///< first reads of modules that never answer
    Polling,    ///< the home page reads a normal crate
    Sweep,      ///< a count-rate sweep runs
    TextQuery,  ///< the crate's module list query is on its way
};
const char *const StateNames[] = {"connecting", "reading types", "polling", "mid-sweep", "mid text-query"};
constexpr int StateCount = 5;

/// A loopback listener that never accepts: one client fills its queue, so every later connect
/// stays unanswered (the kernel drops its SYN) until the caller gives up.
class UnacceptingListener
{
public:
    UnacceptingListener()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        if (m_listener < 0 || bind(m_listener, reinterpret_cast<sockaddr *>(&address), length) != 0 ||
            listen(m_listener, 0) != 0 ||
            getsockname(m_listener, reinterpret_cast<sockaddr *>(&address), &length) != 0)
            return;
        m_port = ntohs(address.sin_port);
        m_filler = socket(AF_INET, SOCK_STREAM, 0);
        if (m_filler < 0 || ::connect(m_filler, reinterpret_cast<sockaddr *>(&address), length) != 0)
            m_port = 0;
    }
    ~UnacceptingListener()
    {
        for (int fd : {m_filler, m_listener}) {
            if (fd >= 0)
                close(fd);
        }
    }
    UnacceptingListener(const UnacceptingListener &) = delete;
    UnacceptingListener &operator=(const UnacceptingListener &) = delete;

    quint16 port() const { return m_port; }
    /// Whether a connect to this port waits for its answer (SYN_SENT in the kernel's table).
    bool connectPending() const
    {
        QFile table(QStringLiteral("/proc/net/tcp"));
        if (!table.open(QIODevice::ReadOnly))
            return false;
        const QByteArray remote = ':' + QByteArray::number(m_port, 16).toUpper().rightJustified(4, '0');
        for (const QByteArray &line : table.readAll().split('\n')) {
            const QList<QByteArray> fields = line.simplified().split(' ');
            if (fields.size() > 3 && fields.at(2).endsWith(remote) && fields.at(3) == "02")
                return true;
        }
        return false;
    }

private:
    int m_listener = -1;
    int m_filler = -1;
    quint16 m_port = 0;
};

/// The leak reports in a sanitizer's output whose allocation (the first frames after the
/// allocator) lies in this project's sources or binaries.
QStringList projectLeaks(const QString &output)
{
    static const QRegularExpression allocationFrame(QStringLiteral("^\\s+#[1-3] "));
    QStringList leaks;
    const QStringList reports = output.split(QStringLiteral(" leak of "));
    for (qsizetype i = 1; i < reports.size(); ++i) {
        const QStringList frames = reports.at(i).split(QLatin1Char('\n')).filter(allocationFrame);
        // Only frames the symbolizer placed count: an address it could not place, such as the
        // OpenGL driver's compiled shader code, is printed against whichever library is mapped
        // just below it, which may be one of ours.
        if (std::any_of(frames.cbegin(), frames.cend(), [](const QString &frame) {
                return frame.contains(QLatin1String(" in ")) &&
                       (frame.contains(QLatin1String(VT_SOURCE_DIR)) ||
                        frame.contains(QLatin1String(VT_BINARY_DIR)));
            }))
            leaks << reports.at(i).section(QLatin1Char('\n'), 0, 5);
    }
    return leaks;
}

/// One line of programs: its own display, one program at a time.
struct Lane
{
    QStringList failures;
    QList<double> exitMs[StateCount];
};
} // namespace

/// The real program, quit again and again in every state of its work: by closing its window
/// (even rounds) and by SIGTERM (odd ones). Each quit must end the process within moments with
/// exit code 0; under the sanitizer build also without a leak report from project code.
class tst_QuitStress : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void quitsPromptlyInEveryState();

private:
    /// Runs the rounds numbered `lane`, `lane` + Lanes, ... of every state.
    static void runLane(int lane, Lane &result);
    /// One program: brought to `state`, then quit; an empty string when all went well.
    static QString quitOnce(XvfbDisplay &display, State state, bool byWindow, double *exitMs);
};

void tst_QuitStress::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
}

QString tst_QuitStress::quitOnce(XvfbDisplay &display, State state, bool byWindow, double *exitMs)
{
    std::unique_ptr<UnacceptingListener> unaccepting;
    std::unique_ptr<SimulatorProcess> simulator;
    quint16 port = 0;
    if (state == State::Connecting) {
        unaccepting = std::make_unique<UnacceptingListener>();
        port = unaccepting->port();
    } else {
        QStringList crate{QStringLiteral("--verbose-modules")};
        if (state == State::TypeReads)
            crate << QStringLiteral("--silent") << QStringLiteral("all");
        simulator = std::make_unique<SimulatorProcess>(crate);
        if (simulator->start())
            port = simulator->port();
    }
    if (port == 0)
        return QStringLiteral("no crate to connect to");

    ProgramOnDisplay program(display);
    // Under the sanitizer build the program's exit code tells about leaks too.
    QProcessEnvironment leakCheck;
    leakCheck.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=1"));
    if (!program.start(port, leakCheck))
        return QStringLiteral("the program did not start");
    // Its windows are known before the state is reached, so the close comes without delay.
    QList<XvfbDisplay::Window> windows;
    if (!QTest::qWaitFor([&] { return !(windows = display.visibleWindows(program.pid())).isEmpty(); },
                         StateWaitMs))
        return QStringLiteral("no window shown");

    bool reached = false;
    switch (state) {
    case State::Connecting:
        reached = QTest::qWaitFor([&] { return unaccepting->connectPending(); }, StateWaitMs);
        break;
    case State::TypeReads:
        reached = simulator->waitForLine(QStringLiteral("module request"), StateWaitMs);
        break;
    case State::TextQuery:
        reached = simulator->waitForLine(QStringLiteral("command SYST:DEVJ?"), StateWaitMs);
        break;
    case State::Polling:
        reached = QTest::qWaitFor(
            [&] { return program.output().contains(QLatin1String("home page shows live values")); },
            StateWaitMs);
        break;
    case State::Sweep:
        // Channel 1 with the page's parameters: a hundred steps of 1 s.
        reached = program.waitFor(QStringLiteral("moduleList"), StateWaitMs).found &&
                  program.click(QStringLiteral("plusButton"), ShowMs) &&
                  program.click(QStringLiteral("text=CPS(Current)"), ShowMs) &&
                  program.click(QStringLiteral("startButton"), ShowMs) &&
                  program
                      .waitFor(QStringLiteral("pageStatus"), StateWaitMs,
                               [](const auto &item) { return item.text.startsWith(QLatin1String("X:")); })
                      .found;
        break;
    }
    if (!reached)
        return QStringLiteral("state not reached: ") + program.output().right(2000);
    // Once connected, the main window alone, mapped and maximised (the welcome window is smaller).
    const auto mainWindowShown = [&] {
        windows = display.visibleWindows(program.pid());
        return windows.size() == 1 && windows.first().geometry.width() > display.size().width() / 2;
    };
    if ((state == State::Polling || state == State::Sweep) && !QTest::qWaitFor(mainWindowShown, ShowMs))
        return QStringLiteral("the main window did not show alone");

    QElapsedTimer quitting;
    quitting.start();
    if (byWindow) {
        for (const XvfbDisplay::Window &window : std::as_const(windows))
            display.closeWindow(window.id);
    } else {
        program.process().terminate();
    }
    const bool ended = program.process().waitForFinished(HangMs);
    *exitMs = double(quitting.nsecsElapsed()) / 1e6;
    if (!ended)
        return QStringLiteral("still running %1 ms after the quit (%2 windows closed)")
            .arg(HangMs)
            .arg(windows.size());
    const QString output = program.output();
    const QStringList ownLeaks = projectLeaks(output);
    if (!ownLeaks.isEmpty())
        return QStringLiteral("leak from project code:\n") + ownLeaks.join(QLatin1Char('\n'));
    // Leaks of the system's libraries (D-Bus, the OpenGL driver) end the program with the
    // sanitizer's exit code too, as does the leak checker failing in its own thread after the
    // program has ended; any other sanitizer report is a failure.
    const bool othersLeaked =
        (output.contains(QLatin1String("ERROR: LeakSanitizer")) ||
         output.contains(QLatin1String("LeakSanitizer has encountered a fatal error"))) &&
        !output.contains(QLatin1String("ERROR: AddressSanitizer")) &&
        !output.contains(QLatin1String("runtime error:"));
    if (program.process().exitStatus() != QProcess::NormalExit ||
        (program.process().exitCode() != 0 && !othersLeaked))
        return QStringLiteral("exit code %1: %2").arg(program.process().exitCode()).arg(output.right(1500));
    return {};
}

void tst_QuitStress::runLane(int lane, Lane &result)
{
    XvfbDisplay display(QStringLiteral(VT_ARTEFACT_DIR "/tst_QuitStress"));
    if (!display.start()) {
        result.failures << display.error();
        return;
    }
    for (int state = 0; state < StateCount; ++state) {
        for (int round = lane; round < Rounds; round += Lanes) {
            const bool byWindow = round % 2 == 0;
            double exitMs = 0;
            const QString failure = quitOnce(display, State(state), byWindow, &exitMs);
            if (!failure.isEmpty())
                result.failures << QStringLiteral("%1, round %2 (%3): %4")
                                       .arg(QLatin1String(StateNames[state]))
                                       .arg(round)
                                       .arg(byWindow ? QLatin1String("window closed")
                                                     : QLatin1String("SIGTERM"),
                                            failure);
            else
                result.exitMs[state] << exitMs;
        }
    }
}

void tst_QuitStress::quitsPromptlyInEveryState()
{
    Lane lanes[Lanes];
    std::unique_ptr<QThread> threads[Lanes];
    for (int lane = 0; lane < Lanes; ++lane) {
        threads[lane].reset(QThread::create([lane, &lanes] { runLane(lane, lanes[lane]); }));
        threads[lane]->start();
    }
    for (auto &thread : threads)
        QVERIFY(QTest::qWaitFor([&] { return thread->wait(PollMs); }, Rounds * StateCount * StateWaitMs));

    QStringList failures;
    for (int state = 0; state < StateCount; ++state) {
        QList<double> times;
        for (const Lane &lane : lanes)
            times += lane.exitMs[state];
        std::sort(times.begin(), times.end());
        if (!times.isEmpty())
            qInfo("%-16s %2lld quits, time to exit: median %.0f ms, max %.0f ms", StateNames[state],
                  static_cast<long long>(times.size()), times.at(times.size() / 2), times.last());
    }
    for (const Lane &lane : lanes)
        failures += lane.failures;
    for (const QString &failure : std::as_const(failures))
        qWarning("%s", qPrintable(failure));
    QVERIFY2(failures.isEmpty(), qPrintable(QStringLiteral("%1 failed quits").arg(failures.size())));
}

QTEST_GUILESS_MAIN(tst_QuitStress)
#include "tst_QuitStress.moc"
