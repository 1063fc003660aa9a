#pragma once

#include <QObject>

class vtIOInterface;

/// One module at one bus address: sends through a link with its own address filled in and
/// receives every message that link delivers.
class vtIODevice : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~vtIODevice() override = default;

    virtual vtIOInterface *iOInterface() const = 0;
    virtual void setIOInterface(vtIOInterface *link) = 0;
    virtual quint8 devAddress() const = 0;
    virtual void setDevAddress(const quint8 &address) = 0;

public slots:
    /// Sends one message to this endpoint's module.
    virtual void sendMsg(quint8 command, quint8 dataLength, quint8 *data) = 0;
    /// Every message of the bound link, whatever its address; `data` is valid only during the call.
    virtual void msgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data) = 0;

signals:
    /// An error text an endpoint wants shown to the user.
    void errorInformation(const QString &text);
};
