#include "vtIODeviceImpl.h"

vtIODeviceImpl::vtIODeviceImpl(QObject *parent) : vtIODevice(parent) {}

vtIOInterface *vtIODeviceImpl::iOInterface() const
{
    return m_link;
}

void vtIODeviceImpl::setIOInterface(vtIOInterface *link)
{
    if (!link || link == m_link)
        return;
    if (m_link)
        disconnect(m_link, &vtIOInterface::msgReceived, this, &vtIODeviceImpl::msgReceived);
    m_link = link;
    connect(link, &vtIOInterface::msgReceived, this, &vtIODeviceImpl::msgReceived);
}

quint8 vtIODeviceImpl::devAddress() const
{
    return m_devAddress;
}

void vtIODeviceImpl::setDevAddress(const quint8 &address)
{
    m_devAddress = address;
}

void vtIODeviceImpl::sendMsg(quint8 command, quint8 dataLength, quint8 *data)
{
    if (m_link)
        m_link->sendMsg(devAddress(), command, dataLength, data);
}

void vtIODeviceImpl::msgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data)
{
    pMsgReceived(address, command, dataLength, data);
}
