#include "FirmwareServices.h"

#include <QQmlApplicationEngine>
#include <QQmlContext>

FirmwareServices::FirmwareServices(WorkerAsync *facade) : m_firmwareUpdate(&m_fileServer, facade) {}

void FirmwareServices::publish(QQmlApplicationEngine &engine)
{
    QQmlContext *context = engine.rootContext();
    context->setContextProperty(QStringLiteral("fileHandler"), &m_fileHandler);
    context->setContextProperty(QStringLiteral("fileServer"), &m_fileServer);
    context->setContextProperty(QStringLiteral("firmwareUpdate"), &m_firmwareUpdate);
}
