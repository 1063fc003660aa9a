#include "CrateServer.h"
#include "CrateConnection.h"
#include "SimLogging.h"

#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

CrateServer::CrateServer(SimulatedCrate &crate, TextCommandHandler &commands, const ConsoleLog &log,
                         const ReplyShaper::Settings &shaping, QObject *parent)
    : QObject(parent), m_crate(crate), m_commands(commands), m_log(log), m_shaping(shaping)
{
    m_server.setProxy(QNetworkProxy::NoProxy);
    connect(&m_server, &QTcpServer::newConnection, this, &CrateServer::acceptConnections);
}

bool CrateServer::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_server.listen(address, port))
        return true;
    *error = QStringLiteral("cannot listen on %1:%2: %3")
                 .arg(address.toString())
                 .arg(port)
                 .arg(m_server.errorString());
    return false;
}

void CrateServer::powerCycle(int downMs)
{
    const QHostAddress address = m_server.serverAddress();
    const quint16 port = m_server.serverPort();
    m_server.close();
    for (CrateConnection *connection : findChildren<CrateConnection *>(Qt::FindDirectChildrenOnly))
        connection->drop();
    QTimer::singleShot(downMs, this, [this, address, port] {
        QString error;
        if (!listen(address, port, &error))
            qCWarning(lcSim).noquote() << error;
    });
}

void CrateServer::acceptConnections()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection())
        new CrateConnection(socket, m_crate, m_commands, m_log, m_shaping, this);
}
