#pragma once

#include "vtIODevice.h"
#include "vtIOInterface.h"

#include <QPointer>

/// The endpoint itself: holds the link and the bus address and leaves the handling of a
/// received message to the subclass (the drivers filter by address there).
class vtIODeviceImpl : public vtIODevice
{
    Q_OBJECT
public:
    explicit vtIODeviceImpl(QObject *parent = nullptr);

    vtIOInterface *iOInterface() const override;
    /// Binds to `link`; null is ignored. Binding to another link releases the previous one,
    /// so replies are never taken from two links at once.
    void setIOInterface(vtIOInterface *link) override;
    quint8 devAddress() const override;
    void setDevAddress(const quint8 &address) override;

public slots:
    /// Does nothing while no link is bound (or after the link was destroyed).
    void sendMsg(quint8 command, quint8 dataLength, quint8 *data) override;
    void msgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override;

protected:
    virtual void pMsgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data) = 0;

private:
    QPointer<vtIOInterface> m_link; ///< not owned; becomes null if the link is destroyed
    quint8 m_devAddress = 0;
};
