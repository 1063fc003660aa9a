#pragma once

#include "AutomationReply.h"

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QTcpServer>

#include <functional>

class AutomationTokenFile;
class QTcpSocket;

/// The automation interface's listener: JSON requests, one object per line, on 127.0.0.1 only.
/// Every request must carry the token; a request too long, not JSON, without the token or for a
/// call the handler does not know gets an error reply and changes nothing. At most MaxClients
/// scripts at once; a connection that has not made a request with the token within
/// AuthenticationTimeoutMs is closed, so idle or stray connections cannot keep scripts out. GUI
/// thread, so every call runs where a click on the screen would.
class AutomationServer : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxMessageBytes = 64 * 1024; ///< one request line, without its newline
    static constexpr int MaxClients = 4;
    /// From connecting to the first request with the token.
    static constexpr int AuthenticationTimeoutMs = 2000;
    /// Replies a client has not read yet; beyond this its requests wait, so one that never reads
    /// cannot make the program hold ever more of them.
    static constexpr qint64 MaxUnreadReplyBytes = 1024 * 1024;

    /// Runs one authenticated call: its name and its "args" object.
    using CallHandler = std::function<AutomationReply(const QString &call, const QJsonObject &arguments)>;

    AutomationServer(const AutomationTokenFile *token, CallHandler handler, QObject *parent = nullptr);

    /// Listens on 127.0.0.1 at `port` (0: any free port); false with errorString() when it cannot.
    bool listen(quint16 port);
    quint16 port() const { return m_server.serverPort(); }
    QString errorString() const { return m_server.errorString(); }
    int clientCount() const { return int(m_clients.size()); }

    /// The reply line to one request line (without its newline); `authenticated` tells whether
    /// the request carried the token.
    QByteArray answer(const QByteArray &line, bool *authenticated = nullptr) const;

private:
    void acceptClients();
    void readRequests(QTcpSocket *client);
    /// Closes `client` unless it has made a request with the token by now.
    void dropUnauthenticated(QTcpSocket *client);
    /// Sends `reply` and closes the connection once it is written.
    static void refuse(QTcpSocket *client, const AutomationReply &reply);

    QTcpServer m_server;
    const AutomationTokenFile *m_token;
    CallHandler m_handler;
    QSet<QTcpSocket *> m_clients;
    QSet<QTcpSocket *> m_authenticated; ///< clients that have sent the token at least once
};
