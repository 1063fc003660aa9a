#pragma once

#include "vtIOInterfaceImpl.h"

#include <QAbstractSocket>
#include <QHostAddress>

class QTcpSocket;

/// The TCP link to a crate: binary module messages and line-oriented text queries
/// ("SYST:..." commands) share one socket. Lives on, and is used only from, the worker thread.
class vtTcpSocketIOInterface : public vtIOInterfaceImpl
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultPort = 9876;
    static constexpr int ConnectTimeoutMs = 1000; ///< longest wait for the TCP connection
    /// Longest text reply kept. The longest legal one, the JSON module list, stays far below it
    /// even with a runaway module text of a megabyte, which the module list then cuts short.
    static constexpr qsizetype MaxQueryReplyBytes = 4 * 1024 * 1024;

    explicit vtTcpSocketIOInterface(QObject *parent = nullptr);
    ~vtTcpSocketIOInterface() override;

    QHostAddress address() const { return m_address; }
    /// Stores the crate address; an open connection is closed and the next operation reconnects.
    void setAddress(const QHostAddress &address);
    quint16 port() const { return m_port; }
    /// Stores the crate port; an open connection is closed and the next operation reconnects.
    void setPort(const quint16 &port);

    /// True while the socket is open and looking up, connecting, connected or closing.
    bool isSocketReady() const;
    /// Why the last connection attempt or transfer failed (refused, timed out, ...).
    QAbstractSocket::SocketError socketError() const;
    QString socketErrorString() const;
    /// True while the socket is connected (not merely connecting).
    bool isConnected() const;

    void setTransmitMode(TransmitMode mode) override;
    QByteArray directRead() override;
    bool directWrite(const QByteArray &bytes) override;

    /// Sends `text` as Latin-1 (the caller supplies the line ending) and collects the reply
    /// for `timeoutMs` milliseconds, or until the reply contains the four characters "/r/n".
    /// `ok` (may be null) is false only when the crate could not be reached. A reply is cut at
    /// MaxQueryReplyBytes, which ends the wait.
    QString tcpIpQuery(const QString &text, int timeoutMs, bool *ok);

signals:
    /// A new connection to the crate was tried (the socket was not open or connecting).
    void connectionAttempted(bool connected);

protected:
    bool pInitialize() override;
    bool pSendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override;

private slots:
    void dataReady();

private:
    void closeIfOpen();
    void waitForEventsOrBytes(int remainingMs);
    void waitForConnection();
    /// Adds to the query reply up to the size limit; false once the limit is reached.
    bool appendQueryReply(const QByteArray &bytes);

    QTcpSocket *m_socket;
    QHostAddress m_address;
    quint16 m_port = DefaultPort;
    QByteArray m_receiveBuffer; ///< bytes received and not yet consumed
};
