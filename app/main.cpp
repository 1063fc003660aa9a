#include "AutomationInterface.h"
#include "AutomationOptions.h"
#include "AutomationSwitch.h"
#include "FirmwareServices.h"
#include "GraphicsBackend.h"
#include "ProgramScreens.h"
#include "ScreenProbe.h"
#include "ScreenshotOnConnect.h"
#include "SignalWatcher.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QTextStream>
#include <QUrl>

#include <memory>

namespace {
constexpr int MainLoadFailedExitCode = -1;
constexpr int AutomationFailedExitCode = 2;
const char *const ProgramName = "VantrelLab";

/// The automation interface, started when asked to; scripts and tests read its port from the
/// line printed here (or from the token file).
std::unique_ptr<AutomationSwitch> startAutomation(WorkerAsync *facade, const AutomationOptions &options)
{
    auto automation = std::make_unique<AutomationSwitch>(facade, options);
    if (automation->enabled())
        QTextStream(stdout) << "Automation interface listening on 127.0.0.1:"
                            << automation->interface()->port() << ", token in "
                            << automation->interface()->tokenFilePath() << Qt::endl;
    else if (options.enabled)
        qCritical("Automation interface not started: %s", qPrintable(automation->statusText()));
    return automation;
}

/// SIGINT and SIGTERM quit the way closing the window does: the event loop ends, the interface
/// and the screens go, the worker stops and open files are closed.
void quitOnTermination(SignalWatcher &signalWatcher, QCoreApplication &app)
{
    if (!signalWatcher.install())
        qWarning("SIGINT and SIGTERM will end the program without an orderly shutdown");
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
}

int runApplication(QApplication &app, const AutomationOptions &options)
{
    WorkerAsync *facade = WorkerAsync::instance();
    ProgramScreens::prepare(facade);
    const std::unique_ptr<AutomationSwitch> automation = startAutomation(facade, options);
    FirmwareServices firmware(facade);
    QQmlApplicationEngine engine;
    firmware.publish(engine);
    engine.rootContext()->setContextProperty(QStringLiteral("automation"), automation.get());
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [](QObject *object, const QUrl &url) {
            if (!object && url == QUrl(QStringLiteral("qrc:/main.qml")))
                QCoreApplication::exit(MainLoadFailedExitCode);
        },
        Qt::QueuedConnection);
    ScreenshotOnConnect::installFromEnvironment(&engine, facade);
    ScreenProbe::installFromEnvironment(&engine);
    ProgramScreens::load(engine);
    return app.exec();
}

/// No window, no QML and no display: the worker and the automation interface only. The program
/// connects to the crate it used last and reads its modules once a second, as the home screen does.
int runHeadless(QCoreApplication &app, const AutomationOptions &options)
{
    WorkerAsync *facade = WorkerAsync::instance();
    const std::unique_ptr<AutomationSwitch> automation = startAutomation(facade, options);
    if (!automation->enabled())
        return AutomationFailedExitCode;
    // A script's run is left alone when it reconnects.
    QObject::connect(facade, &WorkerAsync::connected, facade, [facade] {
        if (facade->currentMode() == WorkerAsync::WorkerModeNoAction)
            facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    });
    facade->connectToVantrel(facade->CurrentAddress());
    return app.exec();
}

int runProgram(int argc, char *argv[])
{
    if (AutomationOptions::isHeadless(argc, argv)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QString::fromLatin1(ProgramName));
        const AutomationOptions options = AutomationOptions::parse(QCoreApplication::arguments());
        if (!options.error.isEmpty()) {
            qCritical("%s", qPrintable(options.error));
            return AutomationFailedExitCode;
        }
        SignalWatcher signalWatcher;
        quitOnTermination(signalWatcher, app);
        const int exitCode = runHeadless(app, options);
        WorkerAsync::destroyInstance();
        return exitCode;
    }
    GraphicsBackend::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QString::fromLatin1(ProgramName));
    GraphicsBackend::chooseSceneGraph();
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vantrellab"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("vantrellab")));
    const AutomationOptions options = AutomationOptions::parse(QCoreApplication::arguments());
    if (!options.error.isEmpty())
        qWarning("%s", qPrintable(options.error));
    SignalWatcher signalWatcher;
    quitOnTermination(signalWatcher, app);
    const int exitCode = runApplication(app, options);
    // The engine and the interface are gone by now; stopping the worker thread must come after them.
    WorkerAsync::destroyInstance();
    return exitCode;
}
} // namespace

int main(int argc, char *argv[])
{
    return runProgram(argc, argv);
}
