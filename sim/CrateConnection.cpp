#include "CrateConnection.h"
#include "ConsoleLog.h"
#include "SimLogging.h"
#include "SimulatedCrate.h"
#include "TextCommandHandler.h"

#include <QTcpSocket>

namespace {
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

QString hex(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QStringLiteral("-") : QString::fromLatin1(bytes.toHex(' '));
}
} // namespace

CrateConnection::CrateConnection(QTcpSocket *socket, SimulatedCrate &crate, TextCommandHandler &commands,
                                 const ConsoleLog &log, const ReplyShaper::Settings &shaping, QObject *parent)
    : QObject(parent), m_socket(socket), m_crate(crate), m_commands(commands), m_log(log), m_shaper(shaping)
{
    m_socket->setParent(this);
    // Every write goes out at once: no Nagle merging that would undo a split or stall a burst.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_peer = QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
    m_log.event(QStringLiteral("connection from %1").arg(m_peer));
    connect(m_socket, &QTcpSocket::readyRead, this, &CrateConnection::readIncoming);
    connect(m_socket, &QTcpSocket::disconnected, this, &CrateConnection::closed);
    connect(&m_shaper, &ReplyShaper::segmentReady, this, &CrateConnection::writeSegment);
    readIncoming(); // bytes that came with the connection
}

void CrateConnection::readIncoming()
{
    m_parser.append(m_socket->readAll());
    while (const auto item = m_parser.next())
        handleItem(*item);
    if (m_parser.isGarbage()) {
        qCWarning(lcSim) << "dropping" << m_peer << "after an overlong text line";
        drop();
    }
}

void CrateConnection::drop()
{
    closed();
    m_socket->abort();
}

void CrateConnection::handleItem(const CrateStreamParser::Item &item)
{
    if (item.kind == CrateStreamParser::Item::TextLine) {
        const QString line = QString::fromLatin1(item.text);
        m_log.event(QStringLiteral("command %1").arg(line));
        m_shaper.sendText(m_commands.reply(line, m_socket->peerAddress()).toUtf8() + LineEnd);
        return;
    }
    m_log.moduleTraffic(
        QStringLiteral("request %1 %2 %3").arg(item.address).arg(item.command).arg(hex(item.data)));
    const auto reply = m_crate.handleModuleMessage(item.address, item.command, item.data);
    if (!reply) {
        m_log.moduleTraffic(QStringLiteral("no reply %1 %2").arg(item.address).arg(item.command));
        return;
    }
    m_log.moduleTraffic(
        QStringLiteral("reply %1 %2 %3").arg(item.address).arg(item.command).arg(hex(*reply)));
    m_shaper.sendModuleReply(item.address, item.command, *reply);
}

void CrateConnection::writeSegment(const QByteArray &segment)
{
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(segment);
    m_socket->flush();
}

void CrateConnection::closed()
{
    // Reached once: the socket's signals are cut here, so a later disconnect cannot repeat it.
    m_socket->disconnect(this);
    m_log.event(QStringLiteral("disconnected %1").arg(m_peer));
    deleteLater();
}
