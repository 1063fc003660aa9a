#include "vtIOInterfaceImpl.h"

vtIOInterfaceImpl::vtIOInterfaceImpl(QObject *parent) : vtIOInterface(parent) {}

bool vtIOInterfaceImpl::initialize()
{
    return pInitialize();
}

bool vtIOInterfaceImpl::sendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data)
{
    return pSendMsg(address, command, dataLength, data);
}

void vtIOInterfaceImpl::setTransmitMode(TransmitMode mode)
{
    m_transmitMode = mode;
}

QByteArray vtIOInterfaceImpl::directRead()
{
    return {};
}

bool vtIOInterfaceImpl::directWrite(const QByteArray &)
{
    return true;
}
