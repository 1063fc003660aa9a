#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>

class QTcpSocket;

/// Crates played by a test: they listen for the discovery datagram as crates do and answer it with
/// scripted call-backs, each from its own source address, greeting or staying silent.
class ScriptedCrates : public QObject
{
    Q_OBJECT
public:
    struct CallBack
    {
        QHostAddress source; ///< local address the call-back comes from
        bool greets = true;  ///< false: connects and never sends anything
    };

    explicit ScriptedCrates(const QList<CallBack> &script, QObject *parent = nullptr);

    /// Binds the discovery port on every address, shared with other listeners.
    bool listen(quint16 discoveryPort);
    void setCallbackPort(quint16 port) { m_callbackPort = port; }

    /// Every datagram received: its content and the address it was sent to.
    QList<QByteArray> datagrams() const { return m_datagrams; }
    QList<QHostAddress> destinations() const { return m_destinations; }
    /// Call-backs that connected and are not yet closed by either side.
    int openCallBacks() const;
    /// Call-backs that reached the connected state.
    int connectedCallBacks() const { return m_connected; }

private:
    void readDatagrams();
    void callBack(const QHostAddress &program);

    QList<CallBack> m_script;
    QUdpSocket m_socket;
    quint16 m_callbackPort = 0;
    QList<QByteArray> m_datagrams;
    QList<QHostAddress> m_destinations;
    QList<QTcpSocket *> m_callBacks;
    int m_connected = 0;
};
