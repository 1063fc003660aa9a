// Time from the request to quit to the end of the program, by what the program is doing when it
// comes, against the simulator with every module silent ("--silent all") and against a normal crate.
//
// The program itself: started headless, brought to a state watched from outside (the simulator's
// lines, the program's own), then sent SIGTERM, which quits the way closing the window does;
// timed to process exit. Baseline in the same run: the same program quitting with no crate.
//
// The facade in this process, for the states the screens reach (a sweep, polling modules that
// went silent, a crate command): its destructor is what a closing window waits for. Baseline: an
// idle facade.
#include "SampleStats.h"
#include "ScriptedModulePeer.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <functional>

namespace {
constexpr int Runs = 5;
constexpr int StateWaitMs = 30000;
constexpr int ExitWaitMs = 200000; ///< before the fix a silent crate held the exit 150 s
constexpr quint8 GetDeviceType = 6;
constexpr int BaselineSettleMs = 4000; ///< start-up, the failed connect and its form

QTextStream out(stdout);

/// What a run watches for before it quits: a simulator line, or a line of the program.
struct ProgramState
{
    QString name;
    QStringList crate; ///< simulator arguments
    QString busyWhen;
};

double programQuitMs(const ProgramState &state, const QTemporaryDir &work)
{
    SimulatorProcess simulator(state.crate + QStringList{"--verbose-modules"});
    if (!simulator.start())
        qFatal("the simulator did not start");
    QProcess program;
    QByteArray output;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("XDG_CONFIG_HOME", work.path());
    // No crate for the baseline: a closed port.
    environment.insert("VT4_CRATE_PORT", QString::number(state.busyWhen.isEmpty() ? 1 : simulator.port()));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&program, &QProcess::readyRead, [&] { output += program.readAll(); });
    program.start(QStringLiteral(VT_PROGRAM_PATH), {});
    if (state.busyWhen.isEmpty()) {
        QTest::qWait(BaselineSettleMs); // started, failed to connect, idle on its connection form
    } else if (!QTest::qWaitFor(
                   [&] {
                       return simulator.countLines(state.busyWhen) > 0 ||
                              output.contains(state.busyWhen.toUtf8());
                   },
                   StateWaitMs)) {
        qFatal("state not reached: %s", qPrintable(state.name));
    }
    QElapsedTimer quitting;
    quitting.start();
    program.terminate();
    if (!program.waitForFinished(ExitWaitMs) || program.exitCode() != 0)
        qFatal("no clean exit: %s", qPrintable(state.name));
    return double(quitting.nsecsElapsed()) / 1e6;
}

/// A facade against `crate`, brought into a state by `reach`; the time its destruction takes.
double facadeQuitMs(const std::function<bool(WorkerAsync *)> &reach)
{
    WorkerAsync *facade = WorkerAsync::instance();
    if (!reach(facade))
        qFatal("facade state not reached");
    QElapsedTimer quitting;
    quitting.start();
    WorkerAsync::destroyInstance();
    return double(quitting.nsecsElapsed()) / 1e6;
}

bool connectFacade(WorkerAsync *facade, quint16 port)
{
    qputenv("VT4_CRATE_PORT", QByteArray::number(port));
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel("127.0.0.1");
    return connected.wait(StateWaitMs);
}

bool startSweep(WorkerAsync *facade)
{
    facade->sendCommand(WorkerAsync::CommandSetActiveChannels, QVariant::fromValue(QList<int>{1}));
    facade->sendCommand(WorkerAsync::CommandSweepParams,
                        QVariantMap{{"from", 0.0}, {"to", 2e-5}, {"step", 1e-6}, {"time_constant", 0.5}});
    facade->sendCommand(WorkerAsync::CommandSetMode, int(WorkerAsync::WorkerModeCpsVersCurrent));
    // The preparation's first status line: the module is being set up from here on.
    bool preparing = false;
    const QMetaObject::Connection watch = QObject::connect(facade, &WorkerAsync::statusTextChanged, [&] {
        preparing = preparing || facade->statusText().startsWith("Short-circiuts");
    });
    const bool reached = QTest::qWaitFor([&] { return preparing; }, StateWaitMs);
    QObject::disconnect(watch);
    return reached;
}

void report(const QString &name, const QList<double> &samples, double baselineMs)
{
    const SampleStats stats(samples);
    out << QStringLiteral("%1: median %2 ms, max %3 ms, %4x baseline\n")
               .arg(name, -48)
               .arg(stats.median(), 0, 'f', 1)
               .arg(stats.percentile(1.0), 0, 'f', 1)
               .arg(stats.median() / baselineMs, 0, 'f', 2);
    out.flush();
}

template <typename Measure> QList<double> repeat(Measure measure)
{
    QList<double> samples;
    for (int run = 0; run < Runs; ++run)
        samples << measure();
    return samples;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    QTemporaryDir work;
    qputenv("XDG_CONFIG_HOME", work.path().toLocal8Bit());

    out << "Program: SIGTERM (the window's quit path) to process exit, " << Runs << " runs each\n";
    const QList<double> programIdle = repeat([&] { return programQuitMs({"idle, no crate", {}, {}}, work); });
    const double programBaseline = SampleStats(programIdle).median();
    report("baseline: idle, no crate", programIdle, programBaseline);
    const QList<ProgramState> programStates{
        {"silent all: module list query", {"--silent", "all"}, "command SYST:DEVJ?"},
        {"silent all: first reads of the modules", {"--silent", "all"}, "module request"},
        {"normal: module list query", {}, "command SYST:DEVJ?"},
        {"normal: polling", {}, "home page shows live values"},
    };
    for (const ProgramState &state : programStates)
        report(state.name, repeat([&] { return programQuitMs(state, work); }), programBaseline);

    out << "\nFacade in this process: destructor time, " << Runs << " runs each\n";
    const QList<double> facadeIdle = repeat([] { return facadeQuitMs([](WorkerAsync *) { return true; }); });
    const double facadeBaseline = SampleStats(facadeIdle).median();
    report("baseline: idle facade", facadeIdle, facadeBaseline);

    // Three detector modules that answer their first read only, then nothing.
    ScriptedModulePeer silentCrate;
    if (!silentCrate.listen())
        qFatal("no scripted crate");
    QJsonArray info;
    for (int address : {1, 2, 3})
        info.append(QJsonObject{{"address", address}, {"type", "VT4SDM0"}});
    silentCrate.setTextReply("SYST:DEVJ?", QJsonDocument(QJsonObject{{"count", 3}, {"info", info}}).toJson());
    silentCrate.setResponder([](const ScriptedModulePeer::Request &request) {
        return request.command == GetDeviceType
                   ? ScriptedModulePeer::record(request.address, request.command, "VT4SDM0")
                   : QByteArray();
    });
    const quint16 silentPort = silentCrate.port();
    report("silent modules: polling", repeat([&] {
               return facadeQuitMs([&](WorkerAsync *facade) {
                   if (!connectFacade(facade, silentPort))
                       return false;
                   facade->activateMode(WorkerAsync::WorkerModeAllChannels);
                   QTest::qWait(700);
                   return true;
               });
           }),
           facadeBaseline);
    report("silent modules: sweep preparation", repeat([&] {
               return facadeQuitMs([&](WorkerAsync *facade) {
                   return connectFacade(facade, silentPort) && startSweep(facade);
               });
           }),
           facadeBaseline);
    report("silent crate: crate command", repeat([&] {
               return facadeQuitMs([&](WorkerAsync *facade) {
                   if (!connectFacade(facade, silentPort))
                       return false;
                   facade->sendCommand(WorkerAsync::CommandResetUnits, 0);
                   QTest::qWait(100);
                   return true;
               });
           }),
           facadeBaseline);

    SimulatorProcess simulator;
    if (!simulator.start())
        qFatal("the simulator did not start");
    report("normal: sweep", repeat([&] {
               return facadeQuitMs([&](WorkerAsync *facade) {
                   if (!connectFacade(facade, simulator.port()) || !startSweep(facade))
                       return false;
                   QTest::qWait(1500); // into the steps
                   return true;
               });
           }),
           facadeBaseline);
    return 0;
}
