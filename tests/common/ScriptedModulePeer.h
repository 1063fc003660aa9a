#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QTcpServer;
class QTcpSocket;

/// A stand-in for a crate's modules that answers what the test tells it to: values per
/// (address, command), or a scripted responder that may reply late, from another address,
/// with a wrong length or not at all. Speaks the raw TCP record format: address, command,
/// length, data. Serves one connection at a time on 127.0.0.1, in the test's own thread.
class ScriptedModulePeer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        quint8 address;
        quint8 command;
        QByteArray data;
    };
    /// The bytes to send back for one request (any number of records); empty means stay silent.
    using Responder = std::function<QByteArray(const Request &)>;

    explicit ScriptedModulePeer(QObject *parent = nullptr);

    /// Listens on a free loopback port.
    bool listen();
    QHostAddress address() const { return QHostAddress(QHostAddress::LocalHost); }
    quint16 port() const;

    /// Default behaviour: a request for (address, command) answers `data` under the same
    /// address and command; requests without a stored answer are acknowledged with no data.
    void setAnswer(quint8 address, quint8 command, const QByteArray &data);
    /// A crate text line ("SYST..." up to "\n", compared without its line end) is answered with
    /// `reply`; lines without a stored reply stay unanswered.
    void setTextReply(const QByteArray &line, const QByteArray &reply) { m_textReplies.insert(line, reply); }
    /// Replaces the default behaviour for every request.
    void setResponder(Responder responder) { m_responder = std::move(responder); }
    /// Holds every reply back this long, ms (0: reply at once).
    void setReplyDelayMs(int delayMs) { m_replyDelayMs = delayMs; }
    /// Writes raw bytes to the connected client now.
    void sendRaw(const QByteArray &bytes);

    QList<Request> requests() const { return m_requests; }
    /// Text lines received, without their line ends.
    QList<QByteArray> textLines() const { return m_textLines; }
    void clearRequests() { m_requests.clear(); }

    /// One record in the wire format, built by hand: address, command, length, data.
    static QByteArray record(quint8 address, quint8 command, const QByteArray &data = {});

signals:
    /// A module request or a text line arrived.
    void requestReceived();

private:
    void acceptClient();
    void readRequests();
    QByteArray defaultAnswer(const Request &request) const;
    /// Answers a text line at the start of the buffer; false while the line is incomplete.
    bool takeTextLine(QTcpSocket *socket);

    QTcpServer *m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_buffer;
    QHash<quint16, QByteArray> m_answers; ///< key: address << 8 | command
    QHash<QByteArray, QByteArray> m_textReplies;
    QList<QByteArray> m_textLines;
    Responder m_responder;
    int m_replyDelayMs = 0;
    QList<Request> m_requests;
};
