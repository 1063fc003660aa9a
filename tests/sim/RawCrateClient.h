#pragma once

#include <QByteArray>
#include <QTcpSocket>
#include <optional>

/// A bare client of the crate port, for tests that check the simulator byte by byte: it sends
/// module messages and text lines as raw bytes and collects what comes back.
class RawCrateClient
{
public:
    static constexpr int ReplyTimeoutMs = 3000; ///< generous: the test machine may be busy

    struct Message
    {
        quint8 address = 0;
        quint8 command = 0;
        QByteArray data;
    };

    bool connectTo(quint16 port);
    QTcpSocket &socket() { return m_socket; }

    void sendMessage(quint8 address, quint8 command, const QByteArray &data = {});
    void sendRaw(const QByteArray &bytes);

    /// Waits until `count` bytes have arrived (or the time-out) and takes them.
    QByteArray takeBytes(int count, int timeoutMs = ReplyTimeoutMs);
    /// Waits for one whole module message and takes it.
    std::optional<Message> takeMessage(int timeoutMs = ReplyTimeoutMs);
    /// Sends a module message and waits for the next one back.
    std::optional<Message> request(quint8 address, quint8 command, const QByteArray &data = {});
    /// Sends `line` + "\r\n" and returns the reply line without its "\r\n" (empty on time-out).
    QString query(const QString &line);

private:
    bool waitForBytes(int count, int timeoutMs);

    QTcpSocket m_socket;
    QByteArray m_received;
};
