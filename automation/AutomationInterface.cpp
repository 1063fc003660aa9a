#include "AutomationInterface.h"
#include "AutomationCalls.h"
#include "AutomationServer.h"

AutomationInterface::AutomationInterface(WorkerAsync *facade, QObject *parent)
    : QObject(parent), m_calls(new AutomationCalls(facade, this)),
      m_server(new AutomationServer(
          &m_token,
          [this](const QString &call, const QJsonObject &arguments) {
              return m_calls->handle(call, arguments);
          },
          this))
{
}

AutomationInterface::~AutomationInterface() = default;

QString AutomationInterface::start(quint16 port, const QString &tokenFolder)
{
    if (!m_server->listen(port))
        return QStringLiteral("cannot listen on 127.0.0.1:%1: %2").arg(port).arg(m_server->errorString());
    return m_token.write(tokenFolder, m_server->port());
}

quint16 AutomationInterface::port() const
{
    return m_server->port();
}
