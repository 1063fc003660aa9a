#include "ProgramScreens.h"
#include "ChartSvgWriter.h"
#include "CppOwnedSingleton.h"
#include "DataModel.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "EepromDataModel.h"
#include "ImageFileWriter.h"
#include "MyChartRect.h"
#include "RecycleController.h"
#include "SeriesThinner.h"
#include "Settings.h"
#include "UpdateChecker.h"
#include "UserFolders.h"
#include "WorkerAsync.h"

#include <QQmlApplicationEngine>
#include <QQmlEngine>
#include <QQuickStyle>
#include <QUrl>

namespace {
const char *const QmlModule = "MyWorker";
// The screens' own style and theme modules live at the root of the resources.
const char *const ScreensImportPath = "qrc:/";
const char *const ScreensStyle = "VantrelStyle";

void registerQmlTypes()
{
    qmlRegisterUncreatableType<Settings>(QmlModule, 1, 0, "Settings",
                                         "Settings are reached through Worker.settings");
    qmlRegisterUncreatableType<RecycleController>(QmlModule, 1, 0, "RecycleController",
                                                  "The recycle is reached through Worker.recycle");
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
    // The reason keeps the range type's former name: it is the product's own message.
    qmlRegisterUncreatableType<MyChartRect>(QmlModule, 1, 0, "MyChartRect",
                                            "RectTime should not be created in QML");
    qmlRegisterUncreatableMetaObject(DriverDataModel::staticMetaObject, QmlModule, 1, 0, "DriverData",
                                     "Access to enums only");
    qmlRegisterSingletonType<EepromDataModel>(QmlModule, 1, 0, "EepromDataModel",
                                              &EepromDataModel::qmlInstance);
    qmlRegisterUncreatableType<EepromDataItem>(
        QmlModule, 1, 0, "EepromDataItem", "Calibration constants come from the module; use its enums only");
    // Stateless, so each engine may own one of its own.
    qmlRegisterSingletonType<SeriesThinner>(
        QmlModule, 1, 0, "SeriesThinner",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new SeriesThinner; });
    qmlRegisterSingletonType<UpdateChecker>(QmlModule, 1, 0, "Updater", &cppOwnedSingleton<UpdateChecker>);
    qmlRegisterSingletonType<ChartSvgWriter>(
        QmlModule, 1, 0, "ChartSvgWriter",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new ChartSvgWriter; });
    qmlRegisterSingletonType<ImageFileWriter>(
        QmlModule, 1, 0, "ImageFileWriter",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new ImageFileWriter; });
    qmlRegisterSingletonType<UserFolders>(
        QmlModule, 1, 0, "UserFolders",
        [](QQmlEngine *, QJSEngine *) -> QObject * { return new UserFolders; });
}
} // namespace

void ProgramScreens::prepare(WorkerAsync *facade)
{
    DataModel::instance()->setList(facade->dataList());
    facade->setProducerType(WorkerAsync::ProducerNorvane);
    facade->setAnimationEnable(false);
    registerQmlTypes();
}

void ProgramScreens::load(QQmlApplicationEngine &engine)
{
    QQuickStyle::setStyle(QString::fromLatin1(ScreensStyle));
    engine.addImportPath(QString::fromLatin1(ScreensImportPath));
    engine.load(QUrl(QStringLiteral("qrc:/main.qml")));
}
