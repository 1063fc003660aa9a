// CPU seconds per wall second of the whole program process (GUI thread drawing the screens, worker
// thread polling the crate) on a virtual X display with the machine's own OpenGL (Mesa's software
// rasteriser where there is no GPU), next to a bare QML window on the same display in the same run.
// The program runs its real screens against the simulator's demo crate (three counting SSPD
// channels): idle on Home with live values, then CPS(Time) with the three channels at a 0.1 s time
// constant, free running, then the same with 10 000 points in each trace.
//
//   bench_render_cpu                   the program as it chooses its scene graph
//   bench_render_cpu --opengl          the OpenGL scene graph with multisampling whatever the renderer
//   ... --screenshots DIR              also saves the whole display after each measurement
#include "FirmwareServices.h"
#include "GraphicsBackend.h"
#include "ProgramScreens.h"
#include "Settings.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QtCharts/QXYSeries>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int SettleMs = 4000;  ///< after each change, before measuring
constexpr int WindowMs = 20000; ///< one measurement
constexpr int ConnectWaitMs = 30000;
constexpr int TracePoints = 10000;
constexpr double TimeConstantS = 0.1;
const char *const MainWindowTitle = "SNSPD Vantrel Lab";
const char *const BareArgument = "--bare";
/// A window with one live value, redrawn once a second like the home page.
const char *const BareWindowQml = "import QtQuick\nWindow { width: 640; height: 400; visible: true; "
                                  "color: \"#1E1E1E\"; Text { id: clock; color: \"white\" } "
                                  "Timer { interval: 1000; running: true; repeat: true; "
                                  "onTriggered: clock.text = new Date().toTimeString() } }";

/// CPU seconds (user + system) a process has used so far, from /proc/PID/stat.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // Fields after the command name, which is in parentheses and may hold blanks.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    constexpr int UserTicks = 11; // field 14 of the line
    constexpr int SystemTicks = 12;
    return (fields.value(UserTicks).toDouble() + fields.value(SystemTicks).toDouble()) /
           double(sysconf(_SC_CLK_TCK));
}

/// Xvfb on a free display, started with fork/exec before any Qt object exists.
class VirtualDisplay
{
public:
    VirtualDisplay()
    {
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return;
        m_pid = fork();
        if (m_pid == 0) {
            // The display number comes on the server's standard output.
            close(pipeFds[0]);
            dup2(pipeFds[1], STDOUT_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                   static_cast<char *>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        char buffer[16] = {};
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        if (got > 0)
            m_display = ":" + QByteArray(buffer, int(got)).trimmed();
    }
    ~VirtualDisplay()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    VirtualDisplay(const VirtualDisplay &) = delete;
    VirtualDisplay &operator=(const VirtualDisplay &) = delete;
    QByteArray name() const { return m_display; }

private:
    pid_t m_pid = -1;
    QByteArray m_display;
};

int runBareWindow(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QQmlApplicationEngine engine;
    engine.loadData(BareWindowQml);
    return app.exec();
}

struct Load
{
    double program = 0;
    double bare = 0;
};

/// CPU seconds per wall second of this process and of the bare window over `ms`.
Load measure(qint64 barePid, int ms)
{
    QTest::qWait(SettleMs);
    const double programStart = cpuSeconds(QCoreApplication::applicationPid());
    const double bareStart = cpuSeconds(barePid);
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(ms);
    const double seconds = double(wall.nsecsElapsed()) * 1e-9;
    return {(cpuSeconds(QCoreApplication::applicationPid()) - programStart) / seconds,
            (cpuSeconds(barePid) - bareStart) / seconds};
}

/// The whole display as a user sees it, into `folder` (nothing without one).
void saveDisplay(const QString &folder, const QString &name)
{
    if (!folder.isEmpty())
        QProcess::execute(QStringLiteral("import"),
                          {QStringLiteral("-window"), QStringLiteral("root"),
                           folder + QLatin1Char('/') + name + QStringLiteral(".png")});
}

QQuickWindow *mainWindow()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->title() == QLatin1String(MainWindowTitle) && window->isVisible())
            return qobject_cast<QQuickWindow *>(window);
    }
    return nullptr;
}

/// Opens CPS(Time), ticks the `addresses` and starts free running at the benchmark's time constant.
bool startCpsTime(QQuickWindow *window, const QList<int> &addresses)
{
    Settings *settings = WorkerAsync::instance()->settings();
    settings->setTimeConstant(TimeConstantS);
    settings->setMode(WorkerAsync::CpsVsTimeFreeRunning);
    const QString tab = QStringLiteral("CPS(Time)");
    QMetaObject::invokeMethod(window, "openTab", Q_ARG(QVariant, tab));
    QVariant page;
    QMetaObject::invokeMethod(window, "pageItem", Q_RETURN_ARG(QVariant, page), Q_ARG(QVariant, tab));
    QObject *pageItem = page.value<QObject *>();
    if (!pageItem)
        return false;
    for (int address : addresses)
        QMetaObject::invokeMethod(pageItem, "setChannel", Q_ARG(QVariant, address), Q_ARG(QVariant, true));
    return QMetaObject::invokeMethod(pageItem, "start");
}

/// Fills each trace of the running screen with `count` points 0.1 s apart up to now, as a long
/// free-running reading leaves them.
void fillTraces(int count)
{
    const double now = double(QDateTime::currentMSecsSinceEpoch());
    for (QAbstractSeries *series : WorkerAsync::instance()->settings()->series()) {
        auto *trace = qobject_cast<QXYSeries *>(series);
        if (!trace)
            continue;
        QList<QPointF> points;
        points.reserve(count);
        for (int i = count; i > 0; --i)
            points.append(
                QPointF(now - i * TimeConstantS * 1000, 1e5 + 1e4 * std::sin(i * 0.05) + (i % 7) * 300));
        trace->replace(points);
    }
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], BareArgument) == 0)
        return runBareWindow(argc, argv);
    const QStringList arguments = [&] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list << QString::fromLocal8Bit(argv[i]);
        return list;
    }();
    const bool forceOpenGl = arguments.contains(QStringLiteral("--opengl"));
    const int screenshotsAt = arguments.indexOf(QStringLiteral("--screenshots"));
    const QString screenshots = screenshotsAt >= 0 ? arguments.value(screenshotsAt + 1) : QString();

    VirtualDisplay display;
    if (display.name().isEmpty())
        qFatal("Xvfb did not start");
    qputenv("DISPLAY", display.name());
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_LOGGING_RULES", "*.debug=false;vt.graphics.info=true");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());

    GraphicsBackend::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    const bool software = !forceOpenGl && GraphicsBackend::chooseSceneGraph();

    SimulatorProcess simulator({QStringLiteral("--crate"), QStringLiteral(VT_DEMO_CRATE)});
    if (!simulator.start())
        qFatal("the simulator did not start");
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));

    QProcess bare;
    bare.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(BareArgument)});
    if (!bare.waitForStarted())
        qFatal("the bare window did not start");

    WorkerAsync *facade = WorkerAsync::instance();
    ProgramScreens::prepare(facade);
    FirmwareServices firmware(facade);
    QQmlApplicationEngine engine;
    firmware.publish(engine);
    ProgramScreens::load(engine);
    if (!QTest::qWaitFor([] { return mainWindow() != nullptr; }, ConnectWaitMs))
        qFatal("the main window did not show");

    const Load home = measure(bare.processId(), WindowMs);
    saveDisplay(screenshots, QStringLiteral("home"));
    if (!startCpsTime(mainWindow(), {1, 2, 3}))
        qFatal("CPS(Time) did not start");
    const Load cpsTime = measure(bare.processId(), WindowMs);
    saveDisplay(screenshots, QStringLiteral("cps-time"));
    fillTraces(TracePoints);
    // Every point in view: free running keeps the left edge where the fit puts it.
    WorkerAsync::instance()->rescaleChartRec(WorkerAsync::WorkerModeCpsVersTime);
    const Load fullTraces = measure(bare.processId(), WindowMs);
    saveDisplay(screenshots, QStringLiteral("cps-time-full"));
    if (!screenshots.isEmpty()) {
        WorkerAsync::instance()->settings()->setActiveChannel(1);
        QMetaObject::invokeMethod(mainWindow(), "openTab", Q_ARG(QVariant, QStringLiteral("SSPD Driver")));
        QTest::qWait(SettleMs);
        saveDisplay(screenshots, QStringLiteral("sspd-driver"));
        // The page's own contents as well, whatever covers it on the display.
        mainWindow()->grabWindow().save(screenshots + QStringLiteral("/sspd-driver-window.png"));
    }

    QTextStream out(stdout);
    out << "CPU seconds per second, whole process, Xvfb 1280x800, "
        << (software ? "software scene graph" : "OpenGL scene graph") << ", " << WindowMs / 1000
        << " s each\n";
    out << QStringLiteral("  %1%2%3%4\n")
               .arg(QStringLiteral("screen"), -48)
               .arg(QStringLiteral("program"), 10)
               .arg(QStringLiteral("bare"), 10)
               .arg(QStringLiteral("difference"), 12);
    const auto row = [&out](const QString &label, const Load &load) {
        out << QStringLiteral("  %1%2%3%4\n")
                   .arg(label, -48)
                   .arg(load.program, 10, 'f', 4)
                   .arg(load.bare, 10, 'f', 4)
                   .arg(load.program - load.bare, 12, 'f', 4);
    };
    row(QStringLiteral("Home, live values"), home);
    row(QStringLiteral("CPS(Time), 3 channels, 0.1 s, free running"), cpsTime);
    row(QStringLiteral("the same with %1 points per trace").arg(TracePoints), fullTraces);
    bare.kill();
    bare.waitForFinished();
    return 0;
}
