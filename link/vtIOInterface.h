#pragma once

#include <QObject>

/// A link to the module bus: carries binary messages (address, command, data) to the
/// modules and delivers their replies. The TCP link is the normal implementation.
class vtIOInterface : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~vtIOInterface() override = default;

    /// Brings the link up; true when it is usable.
    virtual bool initialize() = 0;
    /// Sends one message; true when it was handed to the transport.
    virtual bool sendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) = 0;

signals:
    /// One complete message. `data` points into the link's receive buffer and is valid
    /// only while the signal is delivered: receivers copy what they keep.
    void msgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data);
};
