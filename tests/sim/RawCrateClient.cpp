#include "RawCrateClient.h"

#include <QTest>

namespace {
constexpr int ConnectTimeoutMs = 3000;
constexpr int HeaderSize = 3;
} // namespace

bool RawCrateClient::connectTo(quint16 port)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    return m_socket.waitForConnected(ConnectTimeoutMs);
}

void RawCrateClient::sendMessage(quint8 address, quint8 command, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(command));
    bytes.append(static_cast<char>(data.size()));
    sendRaw(bytes + data);
}

void RawCrateClient::sendRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

bool RawCrateClient::waitForBytes(int count, int timeoutMs)
{
    return QTest::qWaitFor(
        [&] {
            m_received += m_socket.readAll();
            return m_received.size() >= count;
        },
        timeoutMs);
}

QByteArray RawCrateClient::takeBytes(int count, int timeoutMs)
{
    waitForBytes(count, timeoutMs);
    const QByteArray taken = m_received.left(count);
    m_received.remove(0, taken.size());
    return taken;
}

std::optional<RawCrateClient::Message> RawCrateClient::takeMessage(int timeoutMs)
{
    if (!waitForBytes(HeaderSize, timeoutMs))
        return std::nullopt;
    const int length = static_cast<quint8>(m_received.at(2));
    if (!waitForBytes(HeaderSize + length, timeoutMs))
        return std::nullopt;
    Message message{static_cast<quint8>(m_received.at(0)), static_cast<quint8>(m_received.at(1)),
                    m_received.mid(HeaderSize, length)};
    m_received.remove(0, HeaderSize + length);
    return message;
}

std::optional<RawCrateClient::Message> RawCrateClient::request(quint8 address, quint8 command,
                                                               const QByteArray &data)
{
    sendMessage(address, command, data);
    return takeMessage();
}

QString RawCrateClient::query(const QString &line)
{
    sendRaw(line.toLatin1() + "\r\n");
    qsizetype end = -1;
    const bool complete = QTest::qWaitFor(
        [&] {
            m_received += m_socket.readAll();
            end = m_received.indexOf("\r\n");
            return end >= 0;
        },
        ReplyTimeoutMs);
    if (!complete)
        return {};
    const QString reply = QString::fromUtf8(m_received.left(end));
    m_received.remove(0, end + 2);
    return reply;
}
