#include "vtTcpSocketIOInterface.h"
#include "LinkLogging.h"
#include "StopRequest.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>

namespace {
constexpr int RecordHeaderSize = 3;       ///< address, command, dataLength
constexpr unsigned long ReadSettleMs = 1; ///< lets a record's remaining segments arrive before reading
const QByteArray QueryEndMarker = QByteArrayLiteral("/r/n");
} // namespace

vtTcpSocketIOInterface::vtTcpSocketIOInterface(QObject *parent)
    : vtIOInterfaceImpl(parent), m_socket(new QTcpSocket(this))
{
    m_socket->setProxy(QNetworkProxy::NoProxy);
    m_receiveBuffer.clear();
    setTransmitMode(MessageMode);
}

vtTcpSocketIOInterface::~vtTcpSocketIOInterface()
{
    if (m_socket->isOpen()) {
        m_socket->close();
        m_socket->abort();
    }
}

void vtTcpSocketIOInterface::setAddress(const QHostAddress &address)
{
    m_address = address;
    closeIfOpen();
}

void vtTcpSocketIOInterface::setPort(const quint16 &port)
{
    m_port = port;
    closeIfOpen();
}

void vtTcpSocketIOInterface::closeIfOpen()
{
    if (m_socket->isOpen())
        m_socket->close();
}

bool vtTcpSocketIOInterface::isSocketReady() const
{
    // Host lookup (1), connecting (2), connected (3), listening (5) and closing (6) all
    // have bit 0 or bit 1 set: a link that is still connecting counts as ready.
    return m_socket->isOpen() && (static_cast<int>(m_socket->state()) & 0x3) != 0;
}

QAbstractSocket::SocketError vtTcpSocketIOInterface::socketError() const
{
    return m_socket->error();
}

QString vtTcpSocketIOInterface::socketErrorString() const
{
    return m_socket->errorString();
}

bool vtTcpSocketIOInterface::isConnected() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool vtTcpSocketIOInterface::pInitialize()
{
    const bool reconnect = !isSocketReady();
    if (reconnect)
        m_socket->connectToHost(m_address, m_port, QIODevice::ReadWrite);
    waitForConnection();
    const bool connected = isConnected();
    if (!connected)
        qCDebug(lcLink) << "no connection to" << m_address.toString() << m_port << m_socket->errorString();
    if (reconnect)
        emit connectionAttempted(connected);
    return connected;
}

void vtTcpSocketIOInterface::waitForConnection()
{
    // In the event loop rather than the socket's own blocking wait, so that a stop request
    // ends it at once; an established connection returns at once.
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const QAbstractSocket::SocketState state = m_socket->state();
        const qint64 elapsed = clock.elapsed();
        if ((state != QAbstractSocket::HostLookupState && state != QAbstractSocket::ConnectingState) ||
            elapsed >= ConnectTimeoutMs || StopRequest::isPending())
            return;
        waitForEventsOrBytes(static_cast<int>(ConnectTimeoutMs - elapsed));
    }
}

bool vtTcpSocketIOInterface::pSendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data)
{
    if (!isSocketReady()) {
        initialize();
        if (!isSocketReady())
            return false;
    }
    // A send realigns the stream: whatever is left of earlier traffic is dropped.
    m_receiveBuffer.clear();

    QByteArray record;
    record.reserve(RecordHeaderSize + dataLength);
    record.append(static_cast<char>(address));
    record.append(static_cast<char>(command));
    record.append(static_cast<char>(dataLength));
    if (dataLength > 0 && data)
        record.append(reinterpret_cast<const char *>(data), dataLength);
    m_socket->write(record);
    return true;
}

void vtTcpSocketIOInterface::dataReady()
{
    // A notification queued before a text query switched to raw access may still arrive
    // inside it: the bytes belong to the query then.
    if (transmitMode() != MessageMode)
        return;
    QThread::msleep(ReadSettleMs);
    m_receiveBuffer.append(m_socket->readAll());

    while (m_receiveBuffer.size() > RecordHeaderSize - 1) {
        const int dataLength = static_cast<quint8>(m_receiveBuffer.at(2));
        const int recordSize = RecordHeaderSize + dataLength;
        if (m_receiveBuffer.size() < recordSize)
            return;
        // Take the record out before delivering it: a receiver may send (which clears the
        // buffer) or spin the event loop (which may run this slot again) while it handles it.
        QByteArray record = m_receiveBuffer.left(recordSize);
        m_receiveBuffer.remove(0, recordSize);
        auto *bytes = reinterpret_cast<quint8 *>(record.data());
        emit msgReceived(bytes[0], bytes[1], bytes[2], bytes + RecordHeaderSize);
    }
}

void vtTcpSocketIOInterface::setTransmitMode(TransmitMode mode)
{
    if (mode == transmitMode())
        return;
    if (mode == MessageMode)
        connect(m_socket, &QTcpSocket::readyRead, this, &vtTcpSocketIOInterface::dataReady,
                Qt::QueuedConnection);
    else
        m_socket->disconnect();
    vtIOInterfaceImpl::setTransmitMode(mode);
}

QByteArray vtTcpSocketIOInterface::directRead()
{
    if (transmitMode() != DirectMode)
        return {};
    return m_socket->readAll();
}

bool vtTcpSocketIOInterface::directWrite(const QByteArray &bytes)
{
    if (transmitMode() != DirectMode)
        return false;
    m_socket->write(bytes);
    m_socket->flush();
    return true;
}

void vtTcpSocketIOInterface::waitForEventsOrBytes(int remainingMs)
{
    // Bytes already in the socket are taken at once; otherwise sleep in the event loop until
    // the socket notifier or the deadline timer wakes it, instead of spinning a whole core.
    if (m_socket->bytesAvailable() > 0 || remainingMs <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(remainingMs);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

QString vtTcpSocketIOInterface::tcpIpQuery(const QString &text, int timeoutMs, bool *ok)
{
    if (ok)
        *ok = true;
    if (!initialize()) {
        if (ok)
            *ok = false;
        return {};
    }

    const TransmitMode previousMode = transmitMode();
    if (previousMode != DirectMode) {
        m_socket->disconnect();
        vtIOInterfaceImpl::setTransmitMode(DirectMode);
    }

    directWrite(text.toLatin1());
    m_receiveBuffer.clear();
    QElapsedTimer clock;
    clock.start();

    // The end marker is plain ASCII, so it is looked for in the bytes, and only in the part
    // not yet searched (with room for a marker split between two reads).
    qsizetype searchFrom = 0;
    for (;;) {
        const qint64 elapsed = clock.elapsed();
        if (elapsed >= timeoutMs || StopRequest::isPending() || !appendQueryReply(directRead()))
            break;
        if (m_receiveBuffer.indexOf(QueryEndMarker, searchFrom) >= 0)
            break;
        searchFrom = qMax<qsizetype>(0, m_receiveBuffer.size() - (QueryEndMarker.size() - 1));
        waitForEventsOrBytes(static_cast<int>(timeoutMs - elapsed));
    }
    if (m_receiveBuffer.size() < MaxQueryReplyBytes)
        appendQueryReply(directRead());
    else
        directRead(); // the rest of an overlong reply would be taken for module records later

    setTransmitMode(previousMode);
    return QString::fromUtf8(m_receiveBuffer);
}

bool vtTcpSocketIOInterface::appendQueryReply(const QByteArray &bytes)
{
    const qsizetype room = MaxQueryReplyBytes - m_receiveBuffer.size();
    if (bytes.size() <= room) {
        m_receiveBuffer.append(bytes);
        return m_receiveBuffer.size() < MaxQueryReplyBytes;
    }
    m_receiveBuffer.append(bytes.left(room));
    qCWarning(lcLink) << "text reply from" << m_address.toString() << "cut at" << MaxQueryReplyBytes
                      << "bytes; the rest is dropped";
    return false;
}
