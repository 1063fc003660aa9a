#include "ScriptedModulePeer.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {
constexpr int HeaderSize = 3; // address, command, length

quint16 answerKey(quint8 address, quint8 command)
{
    return static_cast<quint16>(address << 8 | command);
}
} // namespace

ScriptedModulePeer::ScriptedModulePeer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &ScriptedModulePeer::acceptClient);
}

bool ScriptedModulePeer::listen()
{
    return m_server->listen(QHostAddress::LocalHost, 0);
}

quint16 ScriptedModulePeer::port() const
{
    return m_server->serverPort();
}

void ScriptedModulePeer::setAnswer(quint8 address, quint8 command, const QByteArray &data)
{
    m_answers.insert(answerKey(address, command), data);
}

void ScriptedModulePeer::sendRaw(const QByteArray &bytes)
{
    if (m_client)
        m_client->write(bytes);
}

QByteArray ScriptedModulePeer::record(quint8 address, quint8 command, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(command));
    bytes.append(static_cast<char>(data.size()));
    return bytes + data;
}

void ScriptedModulePeer::acceptClient()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_client)
            m_client->deleteLater();
        m_client = socket;
        m_buffer.clear();
        connect(socket, &QTcpSocket::readyRead, this, &ScriptedModulePeer::readRequests);
    }
}

void ScriptedModulePeer::readRequests()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (socket != m_client)
        return;
    m_buffer.append(socket->readAll());
    while (m_buffer.size() >= HeaderSize) {
        if (m_buffer.startsWith("SYST")) {
            if (!takeTextLine(socket))
                return;
            continue;
        }
        const int length = static_cast<quint8>(m_buffer.at(2));
        if (m_buffer.size() < HeaderSize + length)
            return;
        const Request request{static_cast<quint8>(m_buffer.at(0)), static_cast<quint8>(m_buffer.at(1)),
                              m_buffer.mid(HeaderSize, length)};
        m_buffer.remove(0, HeaderSize + length);
        m_requests.append(request);

        const QByteArray reply = m_responder ? m_responder(request) : defaultAnswer(request);
        if (!reply.isEmpty()) {
            if (m_replyDelayMs > 0)
                QTimer::singleShot(m_replyDelayMs, socket, [socket, reply] { socket->write(reply); });
            else
                socket->write(reply);
        }
        emit requestReceived();
    }
}

bool ScriptedModulePeer::takeTextLine(QTcpSocket *socket)
{
    const qsizetype end = m_buffer.indexOf('\n');
    if (end < 0)
        return false;
    const QByteArray line = m_buffer.left(end).trimmed();
    m_buffer.remove(0, end + 1);
    m_textLines.append(line);
    socket->write(m_textReplies.value(line));
    emit requestReceived();
    return true;
}

QByteArray ScriptedModulePeer::defaultAnswer(const Request &request) const
{
    return record(request.address, request.command,
                  m_answers.value(answerKey(request.address, request.command)));
}
