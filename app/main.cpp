#include "DataModel.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "EepromDataModel.h"
#include "MyChartRect.h"
#include "ScreenProbe.h"
#include "ScreenshotOnConnect.h"
#include "Settings.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QQmlApplicationEngine>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QSurfaceFormat>
#include <QUrl>

namespace {
constexpr int DepthBufferBits = 24;
constexpr int StencilBufferBits = 8;
constexpr int Samples = 16;
constexpr int MainLoadFailedExitCode = -1;
const char *const QmlModule = "MyWorker";
// The screens' own style and theme modules live at the root of the resources.
const char *const ScreensImportPath = "qrc:/";
const char *const ScreensStyle = "VantrelStyle";

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
    qmlRegisterUncreatableType<Settings>(QmlModule, 1, 0, "Settings",
                                         "Settings are reached through Worker.settings");
    qmlRegisterSingletonType<WorkerAsync>(
        QmlModule, 1, 0, "Worker", [](QQmlEngine *, QJSEngine *) -> QObject * {
            // The facade outlives the engine and is deleted by the program, not by QML.
            WorkerAsync *facade = WorkerAsync::instance();
            QQmlEngine::setObjectOwnership(facade, QQmlEngine::CppOwnership);
            return facade;
        });
    qmlRegisterSingletonType<DataModel>(QmlModule, 1, 0, "DataModel", &DataModel::qmlInstance);
    qmlRegisterUncreatableType<DataProviderList>(QmlModule, 1, 0, "Datalist",
                                                 "DataList should not be created in QML");
    qmlRegisterUncreatableType<MyChartRect>(QmlModule, 1, 0, "MyChartRect",
                                            "RectTime should not be created in QML");
    qmlRegisterUncreatableMetaObject(DriverDataModel::staticMetaObject, QmlModule, 1, 0, "DriverData",
                                     "Access to enums only");
    qmlRegisterSingletonType<EepromDataModel>(QmlModule, 1, 0, "EepromDataModel",
                                              &EepromDataModel::qmlInstance);
    qmlRegisterUncreatableType<EepromDataItem>(
        QmlModule, 1, 0, "EepromDataItem", "Calibration constants come from the module; use its enums only");
}

int runApplication(QApplication &app)
{
    WorkerAsync *facade = WorkerAsync::instance();
    DataModel::instance()->setList(facade->dataList());
    facade->setProducerType(WorkerAsync::ProducerNorvane);
    facade->setAnimationEnable(false);
    registerQmlTypes();

    QQuickStyle::setStyle(QString::fromLatin1(ScreensStyle));
    QQmlApplicationEngine engine;
    engine.addImportPath(QString::fromLatin1(ScreensImportPath));
    const QUrl mainUrl(QStringLiteral("qrc:/main.qml"));
    QObject::connect(
        &engine, &QQmlApplicationEngine::objectCreated, &app,
        [mainUrl](QObject *object, const QUrl &url) {
            if (!object && url == mainUrl)
                QCoreApplication::exit(MainLoadFailedExitCode);
        },
        Qt::QueuedConnection);
    ScreenshotOnConnect::installFromEnvironment(&engine, facade);
    ScreenProbe::installFromEnvironment(&engine);
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
