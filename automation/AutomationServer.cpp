#include "AutomationServer.h"
#include "AutomationLogging.h"
#include "AutomationTokenFile.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

AutomationServer::AutomationServer(const AutomationTokenFile *token, CallHandler handler, QObject *parent)
    : QObject(parent), m_token(token), m_handler(std::move(handler))
{
    m_server.setProxy(QNetworkProxy::NoProxy);
    connect(&m_server, &QTcpServer::newConnection, this, &AutomationServer::acceptClients);
}

bool AutomationServer::listen(quint16 port)
{
    return m_server.listen(QHostAddress::LocalHost, port);
}

void AutomationServer::acceptClients()
{
    while (QTcpSocket *client = m_server.nextPendingConnection()) {
        client->setParent(this);
        if (m_clients.size() >= MaxClients) {
            qCInfo(lcAutomation) << "client refused, already" << MaxClients << "connected";
            refuse(client,
                   AutomationReply::failure(
                       QStringLiteral("too-many-clients"),
                       QStringLiteral("at most %1 scripts may be connected at once").arg(MaxClients)));
            continue;
        }
        m_clients.insert(client);
        // Enough for one whole request and its newline; the rest waits in the kernel.
        client->setReadBufferSize(2 * MaxMessageBytes);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { readRequests(client); });
        connect(client, &QTcpSocket::bytesWritten, this, [this, client] { readRequests(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            m_clients.remove(client);
            m_authenticated.remove(client);
            client->deleteLater();
        });
        QTimer::singleShot(AuthenticationTimeoutMs, client, [this, client] { dropUnauthenticated(client); });
        qCDebug(lcAutomation) << "client connected," << m_clients.size() << "in all";
    }
}

void AutomationServer::dropUnauthenticated(QTcpSocket *client)
{
    if (m_authenticated.contains(client) || !m_clients.remove(client))
        return;
    qCInfo(lcAutomation) << "client closed: no request with the token within" << AuthenticationTimeoutMs
                         << "ms";
    refuse(client, AutomationReply::failure(
                       QStringLiteral("no-token-in-time"),
                       QStringLiteral("no request with the token within %1 s; the connection is closed")
                           .arg(AuthenticationTimeoutMs / 1000.0)));
}

void AutomationServer::refuse(QTcpSocket *client, const AutomationReply &reply)
{
    client->write(reply.toLine());
    // Closing after the reply has gone out; deleted once the peer is gone.
    connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
    client->disconnectFromHost();
}

void AutomationServer::readRequests(QTcpSocket *client)
{
    const AutomationReply tooLarge = AutomationReply::failure(
        QStringLiteral("too-large"),
        QStringLiteral("a request may be at most %1 bytes long; the connection is closed")
            .arg(MaxMessageBytes));
    while (client->state() == QAbstractSocket::ConnectedState &&
           client->bytesToWrite() <= MaxUnreadReplyBytes) {
        if (!client->canReadLine()) {
            if (client->bytesAvailable() > MaxMessageBytes) {
                m_clients.remove(client);
                refuse(client, tooLarge);
            }
            return;
        }
        QByteArray line = client->readLine(2 * MaxMessageBytes + 1);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.size() > MaxMessageBytes) {
            m_clients.remove(client);
            refuse(client, tooLarge);
            return;
        }
        bool authenticated = false;
        if (!line.trimmed().isEmpty())
            client->write(answer(line, &authenticated));
        if (authenticated)
            m_authenticated.insert(client);
    }
}

QByteArray AutomationServer::answer(const QByteArray &line, bool *authenticated) const
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return AutomationReply::failure(QStringLiteral("malformed"),
                                        parseError.error != QJsonParseError::NoError
                                            ? QStringLiteral("not JSON: %1 at byte %2")
                                                  .arg(parseError.errorString())
                                                  .arg(parseError.offset)
                                            : QStringLiteral("a request must be one JSON object"))
            .toLine();
    const QJsonObject request = document.object();
    const QJsonValue id = request.value(QLatin1String("id"));
    const QJsonValue token = request.value(QLatin1String("token"));
    if (!token.isString() || !m_token->matches(token.toString())) {
        qCInfo(lcAutomation) << "request refused: wrong or missing token";
        return AutomationReply::failure(QStringLiteral("bad-token"),
                                        QStringLiteral("the token is wrong or missing; it is in the file "
                                                       "%1 in the program's configuration folder")
                                            .arg(AutomationTokenFile::fileName(port())))
            .toLine(id);
    }
    if (authenticated)
        *authenticated = true;
    const QJsonValue call = request.value(QLatin1String("call"));
    const QJsonValue arguments = request.value(QLatin1String("args"));
    if (!call.isString() || !(arguments.isObject() || arguments.isUndefined() || arguments.isNull()))
        return AutomationReply::failure(QStringLiteral("malformed"),
                                        QStringLiteral("a request needs \"call\" (a text) and may have "
                                                       "\"args\" (an object)"))
            .toLine(id);
    qCDebug(lcAutomation) << "call" << call.toString() << arguments;
    return m_handler(call.toString(), arguments.toObject()).toLine(id);
}
