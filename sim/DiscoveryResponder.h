#pragma once

#include <QHostAddress>
#include <QObject>
#include <QUdpSocket>

/// Answers the program's crate search: on the datagram "vt-software" it opens a TCP connection
/// back to the sender's address at the call-back port, sends a few bytes and closes it. It
/// listens only on the address it is given and talks only to hosts whose datagram it received.
class DiscoveryResponder : public QObject
{
    Q_OBJECT
public:
    static constexpr int CallbackTimeoutMs = 500; ///< a call-back not connected by then is dropped

    explicit DiscoveryResponder(quint16 callbackPort, QObject *parent = nullptr);

    /// Binds the UDP port; false with `error` set when it cannot.
    bool listen(const QHostAddress &address, quint16 port, QString *error);

private:
    void readDatagrams();
    void callBack(const QHostAddress &sender);

    QUdpSocket m_socket;
    quint16 m_callbackPort;
};
