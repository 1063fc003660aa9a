#pragma once

#include "vtIOInterface.h"

#include <QByteArray>

/// Shared base of the concrete links: the two transmit modes and the split of the
/// public operations into transport-specific "p" hooks.
class vtIOInterfaceImpl : public vtIOInterface
{
    Q_OBJECT
public:
    enum TransmitMode
    {
        MessageMode = 0, ///< incoming bytes are parsed into messages and emitted as msgReceived
        DirectMode = 1   ///< incoming bytes stay in the transport until directRead() fetches them
    };
    Q_ENUM(TransmitMode)

    explicit vtIOInterfaceImpl(QObject *parent = nullptr);

    bool initialize() override;
    bool sendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override;

    virtual void setTransmitMode(TransmitMode mode);
    virtual QByteArray directRead();
    virtual bool directWrite(const QByteArray &bytes);

    TransmitMode transmitMode() const { return m_transmitMode; }

protected:
    virtual bool pInitialize() = 0;
    virtual bool pSendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) = 0;

private:
    TransmitMode m_transmitMode = DirectMode;
};
