#include "FirmwareServices.h"

#include <QCoreApplication>
#include <QQmlApplicationEngine>
#include <QQmlContext>
#include <QtQml>

FirmwareServices::FirmwareServices(WorkerAsync *facade) : m_firmwareUpdate(&m_fileServer, facade)
{
    // Whether the window closed or a signal ended the program, the worker and its link are
    // still there at this point.
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &m_fileServer,
                     [this] { m_firmwareUpdate.stopForQuit(); });
}

void FirmwareServices::publish(QQmlApplicationEngine &engine)
{
    // The screens read the update's phases by name.
    qmlRegisterUncreatableType<FirmwareUpdate>("MyWorker", 1, 0, "FirmwareUpdate",
                                               QStringLiteral("the program runs the one firmware update"));
    QQmlContext *context = engine.rootContext();
    context->setContextProperty(QStringLiteral("fileHandler"), &m_fileHandler);
    context->setContextProperty(QStringLiteral("fileServer"), &m_fileServer);
    context->setContextProperty(QStringLiteral("firmwareUpdate"), &m_firmwareUpdate);
}
