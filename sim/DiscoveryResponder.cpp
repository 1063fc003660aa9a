#include "DiscoveryResponder.h"
#include "SimLogging.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>

namespace {
const QByteArray DiscoveryDatagram = QByteArrayLiteral("vt-software");
const QByteArray CallbackGreeting = QByteArrayLiteral("vt-crate");
} // namespace

DiscoveryResponder::DiscoveryResponder(quint16 callbackPort, QObject *parent)
    : QObject(parent), m_callbackPort(callbackPort)
{
    m_socket.setProxy(QNetworkProxy::NoProxy);
    connect(&m_socket, &QUdpSocket::readyRead, this, &DiscoveryResponder::readDatagrams);
}

bool DiscoveryResponder::listen(const QHostAddress &address, quint16 port, QString *error)
{
    if (m_socket.bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint))
        return true;
    *error = QStringLiteral("cannot bind discovery port %1:%2: %3")
                 .arg(address.toString())
                 .arg(port)
                 .arg(m_socket.errorString());
    return false;
}

void DiscoveryResponder::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        if (datagram.data() == DiscoveryDatagram)
            callBack(datagram.senderAddress());
    }
}

void DiscoveryResponder::callBack(const QHostAddress &sender)
{
    bool isIpv4 = false;
    const QHostAddress peer(sender.toIPv4Address(&isIpv4));
    auto *socket = new QTcpSocket(this);
    socket->setProxy(QNetworkProxy::NoProxy);
    connect(socket, &QTcpSocket::connected, socket, [socket] {
        socket->write(CallbackGreeting);
        socket->disconnectFromHost();
    });
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::errorOccurred, socket, [socket](QAbstractSocket::SocketError) {
        qCDebug(lcSim) << "discovery call-back failed:" << socket->errorString();
        socket->deleteLater();
    });
    QTimer::singleShot(CallbackTimeoutMs, socket, [socket] { socket->abort(); });
    socket->connectToHost(isIpv4 ? peer : sender, m_callbackPort);
}
