#include "ScriptedCrates.h"

#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QTcpSocket>

#include <algorithm>

namespace {
const QByteArray Greeting = QByteArrayLiteral("crate");
}

ScriptedCrates::ScriptedCrates(const QList<CallBack> &script, QObject *parent)
    : QObject(parent), m_script(script)
{
    m_socket.setProxy(QNetworkProxy::NoProxy);
    connect(&m_socket, &QUdpSocket::readyRead, this, &ScriptedCrates::readDatagrams);
}

bool ScriptedCrates::listen(quint16 discoveryPort)
{
    return m_socket.bind(QHostAddress::AnyIPv4, discoveryPort,
                         QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

int ScriptedCrates::openCallBacks() const
{
    return int(std::count_if(m_callBacks.cbegin(), m_callBacks.cend(), [](const QTcpSocket *socket) {
        return socket->state() != QAbstractSocket::UnconnectedState;
    }));
}

void ScriptedCrates::readDatagrams()
{
    while (m_socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket.receiveDatagram();
        m_datagrams << datagram.data();
        m_destinations << datagram.destinationAddress();
        callBack(datagram.senderAddress());
    }
}

void ScriptedCrates::callBack(const QHostAddress &program)
{
    for (const CallBack &step : std::as_const(m_script)) {
        auto *socket = new QTcpSocket(this);
        socket->setProxy(QNetworkProxy::NoProxy);
        socket->bind(step.source);
        connect(socket, &QTcpSocket::connected, this, [this, socket, greets = step.greets] {
            ++m_connected;
            if (greets)
                socket->write(Greeting);
        });
        socket->connectToHost(program, m_callbackPort);
        m_callBacks << socket;
    }
}
