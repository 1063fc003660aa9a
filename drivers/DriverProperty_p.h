#pragma once

#include "PropertySignal.h"

#include <QByteArray>
#include <QtGlobal>
#include <memory>

class AbstractDriver;

/// An untyped module value bound to a getter and a setter command code. Keeps the data of the
/// last accepted getter reply and of the last request it sent, and the two callback registries
/// the driver runs when a getter reply is stored or a setter is acknowledged.
class DriverProperty_p
{
public:
    static constexpr quint8 NoCommand = 0xFF;  ///< code that stands for "no such command"
    static constexpr qsizetype AnyLength = -1; ///< dataSize() of values of any length

    /// Registers the property with `driver` (not owned), which dispatches replies to it.
    DriverProperty_p(AbstractDriver *driver, quint8 getter, quint8 setter);
    virtual ~DriverProperty_p();
    DriverProperty_p(const DriverProperty_p &) = delete;
    DriverProperty_p &operator=(const DriverProperty_p &) = delete;

    /// Length in bytes a getter reply must have, or AnyLength.
    virtual qsizetype dataSize() const;
    virtual PropertySignal *gettedSignal() const;
    virtual PropertySignal *settedSignal() const;

    quint8 cmdGetter() const { return m_cmdGetter; }
    void setCmdGetter(const quint8 &code) { m_cmdGetter = code; }
    quint8 cmdSetter() const { return m_cmdSetter; }
    void setCmdSetter(const quint8 &code) { m_cmdSetter = code; }

    /// Data of the last accepted getter reply, or of a value stored locally.
    QByteArray data() const { return m_receivedData; }
    void setBufferData(const QByteArray &data) { m_receivedData = data; }
    /// Stores the data of an accepted getter reply and counts it.
    void storeReply(const QByteArray &data)
    {
        m_receivedData = data;
        ++m_replyCount;
    }
    /// Getter replies accepted so far: a synchronous read that leaves it unchanged was answered,
    /// if at all, by a reply that did not fit, and its value is not fresh.
    quint64 replyCount() const { return m_replyCount; }
    QByteArray lastSettedData() const { return m_lastSentData; }

    /// Sends `command` with `data` and returns at once; completion shows only in the registries.
    void readWrite(quint8 command, QByteArray data);
    /// Sends and waits up to the driver's time-out, at most `attempts` times. `ok` (may be null)
    /// tells whether the module answered. Returns the received data, fresh or as it was.
    QByteArray readWriteSync(quint8 command, QByteArray data, bool *ok, int attempts);

private:
    AbstractDriver *m_driver;
    quint8 m_cmdGetter;
    quint8 m_cmdSetter;
    QByteArray m_receivedData;
    QByteArray m_lastSentData;
    quint64 m_replyCount = 0;
    std::unique_ptr<PropertySignal> m_gettedCallbacks;
    std::unique_ptr<PropertySignal> m_settedCallbacks;
};
