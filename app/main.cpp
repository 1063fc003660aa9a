#include "FileMapHandler.h"
#include "FileServer.h"
#include "FirmwareUpdate.h"
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
#include <QUrl>

namespace {
constexpr int MainLoadFailedExitCode = -1;

int runApplication(QApplication &app)
{
    WorkerAsync *facade = WorkerAsync::instance();
    ProgramScreens::prepare(facade);
    FileMapHandler fileHandler;
    FileServer fileServer;
    FirmwareUpdate firmwareUpdate(&fileServer, facade);
    QQmlApplicationEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("fileHandler"), &fileHandler);
    engine.rootContext()->setContextProperty(QStringLiteral("fileServer"), &fileServer);
    engine.rootContext()->setContextProperty(QStringLiteral("firmwareUpdate"), &firmwareUpdate);
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
} // namespace

int main(int argc, char *argv[])
{
    GraphicsBackend::setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    GraphicsBackend::chooseSceneGraph();
    // Ties the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("vantrellab"));
    app.setWindowIcon(QIcon::fromTheme(QStringLiteral("vantrellab")));
    // SIGINT and SIGTERM quit the way closing the window does: the event loop ends, the
    // screens go, the worker stops and open files are closed.
    SignalWatcher signalWatcher;
    if (!signalWatcher.install())
        qWarning("SIGINT and SIGTERM will end the program without an orderly shutdown");
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
    const int exitCode = runApplication(app);
    // The engine is gone by now; stopping the worker thread must come after it.
    WorkerAsync::destroyInstance();
    return exitCode;
}
