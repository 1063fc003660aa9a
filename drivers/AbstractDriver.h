#pragma once

#include "vtIODeviceImpl.h"

#include <QByteArray>
#include <QList>

class DriverProperty_p;
class QTimer;

/// A module driver: dispatches the module's replies to its properties and runs the answer
/// timer behind their synchronous requests. Lives on, and is used only from, the worker thread.
class AbstractDriver : public vtIODeviceImpl
{
    Q_OBJECT
public:
    static constexpr int DefaultTimeOutMs = 500; ///< answer time-out of one attempt
    static constexpr int MaxDataLength = 255;    ///< the length byte caps a request's data

    explicit AbstractDriver(QObject *parent = nullptr);
    ~AbstractDriver() override;

    /// Registers `property` last; any registered property that answers to the same getter or
    /// setter code (other than "no command") is unlisted, not deleted.
    void appendProperty(DriverProperty_p *property);
    /// Unlists `property`; used by a property that is being deleted.
    void removeProperty(DriverProperty_p *property);
    /// Registered properties and commands, in registration order.
    QList<DriverProperty_p *> properties() const { return m_properties; }

    using vtIODeviceImpl::sendMsg;
    /// Starts a request: restarts the answer timer, clears the flags and sends. Data longer
    /// than MaxDataLength is not sent and the request fails at once.
    void sendMsg(quint8 command, const QByteArray &data);
    /// Waits for the answer to the current request in the thread's event loop; true when a
    /// message from this module arrived before the time-out. False as well when work run
    /// during the wait started another request to this driver, which takes the answer over.
    bool waitingAnswer();

    int timeOut() const { return m_timeOutMs; }
    /// Answer time-out of one attempt, ms.
    void setTimeOut(int timeOutMs) { m_timeOutMs = timeOutMs; }

protected:
    void pMsgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override;

private:
    void dispatch(quint8 command, const QByteArray &data);

    bool m_answered = false;
    bool m_timedOut = false;
    int m_timeOutMs = DefaultTimeOutMs;
    quint64 m_requestSerial = 0; ///< counts requests, so a wait notices one started inside it
    QTimer *m_answerTimer;
    QList<DriverProperty_p *> m_properties; ///< not owned
};
