#pragma once

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <optional>

class QTcpServer;
class QTcpSocket;

/// Finds crates on the local network. One scan broadcasts "vt-software" on every broadcast-capable
/// interface; each crate that hears it connects back on the call-back port and sends a few bytes.
/// The peer addresses collected within the collection time are the result, reported by `ready`.
/// Lives on the GUI thread and never blocks it.
class VantrelListProvider : public QObject
{
    Q_OBJECT
public:
    static constexpr quint16 DefaultDiscoveryPort = 9877; ///< UDP port the crates listen on
    static constexpr quint16 DefaultCallbackPort = 9878;  ///< TCP port the crates connect back to
    static constexpr int DefaultCollectionMs = 500;       ///< call-backs counted this long after sending, ms
    static constexpr int DefaultReadWaitMs = 100;         ///< a call-back silent this long is dropped, ms

    explicit VantrelListProvider(QObject *parent = nullptr);

    /// Crate addresses of the current or last scan, dotted decimal; this computer is "127.0.0.1".
    QStringList availableVantrelList() const;
    /// Starts a scan, abandoning one still running. Ends in `ready`, or `error` when the call-back
    /// port cannot be opened (delivered from the event loop, so it may be connected after this call).
    void updateVantrelList();

    void setDiscoveryPort(quint16 port) { m_discoveryPort = port; }
    void setCallbackPort(quint16 port) { m_callbackPort = port; }
    void setCollectionTime(int ms) { m_collectionTimer.setInterval(ms); }
    void setReadWait(int ms) { m_readWaitMs = ms; }
    /// Sends to these addresses instead of the interfaces' broadcast addresses.
    void setBroadcastAddresses(const QList<QHostAddress> &addresses) { m_broadcastAddresses = addresses; }

signals:
    /// The scan finished; the list is final.
    void ready();
    /// The scan could not start (the call-back port is taken).
    void error();

private:
    bool listenForCallbacks();
    void sendDiscoveryDatagrams() const;
    QList<QHostAddress> broadcastTargets() const;
    void acceptCallbacks();
    void takeCallback(QTcpSocket *connection);
    void finishScan();
    void discardServer();

    QStringList m_found;
    QTcpServer *m_server = nullptr; ///< exists only while a scan runs
    QTimer m_collectionTimer;
    quint16 m_discoveryPort = DefaultDiscoveryPort;
    quint16 m_callbackPort = DefaultCallbackPort;
    int m_readWaitMs = DefaultReadWaitMs;
    std::optional<QList<QHostAddress>> m_broadcastAddresses; ///< unset: every interface
};
