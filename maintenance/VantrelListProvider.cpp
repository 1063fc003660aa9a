#include "VantrelListProvider.h"
#include "DiscoveryLogging.h"

#include <QNetworkInterface>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUdpSocket>

namespace {
const QByteArray DiscoveryDatagram = QByteArrayLiteral("vt-software");
const QString ThisComputer = QStringLiteral("127.0.0.1");

/// Text of every IPv4 address of this computer, loopback included.
QStringList ownIpv4Addresses()
{
    QStringList addresses;
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            addresses << address.toString();
    }
    return addresses;
}
} // namespace

VantrelListProvider::VantrelListProvider(QObject *parent) : QObject(parent)
{
    m_collectionTimer.setSingleShot(true);
    m_collectionTimer.setInterval(DefaultCollectionMs);
    connect(&m_collectionTimer, &QTimer::timeout, this, &VantrelListProvider::finishScan);
}

QStringList VantrelListProvider::availableVantrelList() const
{
    return m_found;
}

void VantrelListProvider::updateVantrelList()
{
    qCDebug(lcDiscovery) << "availableVantrels";
    // An earlier scan still running would otherwise end this one with its own timer.
    m_collectionTimer.stop();
    discardServer();
    m_found.clear();

    if (!listenForCallbacks()) {
        discardServer();
        QMetaObject::invokeMethod(this, &VantrelListProvider::error, Qt::QueuedConnection);
        return;
    }
    sendDiscoveryDatagrams();
    m_collectionTimer.start();
}

bool VantrelListProvider::listenForCallbacks()
{
    m_server = new QTcpServer(this);
    m_server->setProxy(QNetworkProxy::NoProxy);
    if (!m_server->listen(QHostAddress::Any, m_callbackPort)) {
        qCWarning(lcDiscovery) << "cannot listen for crate call-backs on port" << m_callbackPort << ":"
                               << m_server->errorString();
        return false;
    }
    connect(m_server, &QTcpServer::newConnection, this, &VantrelListProvider::acceptCallbacks);
    return true;
}

void VantrelListProvider::sendDiscoveryDatagrams() const
{
    qCDebug(lcDiscovery) << "before udpSocket create";
    QUdpSocket socket;
    socket.setProxy(QNetworkProxy::NoProxy);
    for (const QHostAddress &target : broadcastTargets()) {
        if (socket.writeDatagram(DiscoveryDatagram, target, m_discoveryPort) != DiscoveryDatagram.size())
            qCWarning(lcDiscovery) << "discovery datagram to" << target << "failed:" << socket.errorString();
    }
}

QList<QHostAddress> VantrelListProvider::broadcastTargets() const
{
    if (m_broadcastAddresses)
        return *m_broadcastAddresses;
    const QNetworkInterface::InterfaceFlags needed =
        QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast;
    QList<QHostAddress> targets;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        if ((interface.flags() & needed) != needed)
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (!entry.broadcast().isNull())
                targets << entry.broadcast();
        }
    }
    return targets;
}

void VantrelListProvider::acceptCallbacks()
{
    while (m_server->hasPendingConnections()) {
        QTcpSocket *connection = m_server->nextPendingConnection();
        connection->setProxy(QNetworkProxy::NoProxy);
        // Waiting asynchronously keeps the GUI responsive however many crates call back.
        connect(connection, &QTcpSocket::readyRead, this, [this, connection] { takeCallback(connection); });
        QTimer::singleShot(m_readWaitMs, connection, &QObject::deleteLater);
    }
}

void VantrelListProvider::takeCallback(QTcpSocket *connection)
{
    connection->disconnect(this);
    connection->readAll(); // the greeting's content carries nothing we use
    bool isIpv4 = false;
    const quint32 peer = connection->peerAddress().toIPv4Address(&isIpv4);
    if (isIpv4)
        m_found << QHostAddress(peer).toString();
    else
        qCDebug(lcDiscovery) << "call-back from a non-IPv4 peer ignored:" << connection->peerAddress();
    connection->deleteLater();
}

void VantrelListProvider::finishScan()
{
    discardServer();
    const QStringList own = ownIpv4Addresses();
    for (QString &crate : m_found) {
        if (own.contains(crate))
            crate = ThisComputer;
    }
    m_found.removeDuplicates();
    emit ready();
}

void VantrelListProvider::discardServer()
{
    if (!m_server)
        return;
    m_server->disconnect(this);
    m_server->close();
    // Call-backs still waiting for data are its children and go with it; until then they must
    // not add to a list that is already final.
    for (QTcpSocket *connection : m_server->findChildren<QTcpSocket *>())
        connection->disconnect(this);
    m_server->deleteLater();
    m_server = nullptr;
}
