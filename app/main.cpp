#include "DataModel.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "MyChartRect.h"
#include "ScreenshotOnConnect.h"
#include "Settings.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlEngine>
#include <QSurfaceFormat>
#include <QUrl>

namespace {
constexpr int DepthBufferBits = 24;
constexpr int StencilBufferBits = 8;
constexpr int Samples = 16;
constexpr int MainLoadFailedExitCode = -1;
const char *const QmlModule = "MyWorker";

void setDefaultSurfaceFormat()
{
    QSurfaceFormat format;
    format.setDepthBufferSize(DepthBufferBits);
    format.setStencilBufferSize(StencilBufferBits);
    format.setVersion(3, 2);
    format.setProfile(QSurfaceFormat::CoreProfile);
    format.setSamples(Samples);
    QSurfaceFormat::setDefaultFormat(format);
}

void registerQmlTypes()
{
    qmlRegisterSingletonType<WorkerAsync>(
        QmlModule, 1, 0, "Worker", [](QQmlEngine *, QJSEngine *) -> QObject * {
            // The facade outlives the engine and is deleted by the program, not by QML.
            WorkerAsync *facade = WorkerAsync::instance();
            QQmlEngine::setObjectOwnership(facade, QQmlEngine::CppOwnership);
            return facade;
        });
}

int runApplication(QApplication &app)
{
    WorkerAsync *facade = WorkerAsync::instance();
    DataModel::instance()->setList(facade->dataList());
    facade->setProducerType(WorkerAsync::ProducerNorvane);
    facade->setAnimationEnable(false);
    registerQmlTypes();

    QQmlApplicationEngine engine;
    const QUrl mainUrl(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [mainUrl](QObject *object, const QUrl &url) {
            if (!object && url == mainUrl)
                QCoreApplication::exit(MainLoadFailedExitCode);
        },
        Qt::QueuedConnection);
    ScreenshotOnConnect::installFromEnvironment(&engine, facade);
    engine.load(mainUrl);
    return app.exec();
}
} // namespace

int main(int argc, char *argv[])
{
    setDefaultSurfaceFormat();
    QApplication app(argc, argv);
    const int exitCode = runApplication(app);
    // The engine is gone by now; stopping the worker thread must come after it.
    WorkerAsync::destroyInstance();
    return exitCode;
}
