#include "AbstractDriver.h"
#include "DriverProperty_p.h"
#include "DriversLogging.h"
#include "StopRequest.h"

#include <QCoreApplication>
#include <QTimer>

AbstractDriver::AbstractDriver(QObject *parent) : vtIODeviceImpl(parent), m_answerTimer(new QTimer(this))
{
    m_answerTimer->setSingleShot(true);
    connect(m_answerTimer, &QTimer::timeout, this, [this] { m_timedOut = true; });
}

AbstractDriver::~AbstractDriver() = default;

void AbstractDriver::appendProperty(DriverProperty_p *property)
{
    const quint8 getter = property->cmdGetter();
    const quint8 setter = property->cmdSetter();
    m_properties.removeIf([getter, setter](const DriverProperty_p *registered) {
        return (getter != DriverProperty_p::NoCommand && registered->cmdGetter() == getter) ||
               (setter != DriverProperty_p::NoCommand && registered->cmdSetter() == setter);
    });
    m_properties.append(property);
}

void AbstractDriver::removeProperty(DriverProperty_p *property)
{
    m_properties.removeAll(property);
}

void AbstractDriver::sendMsg(quint8 command, const QByteArray &data)
{
    ++m_requestSerial;
    m_answered = false;
    m_timedOut = false;
    if (data.size() > MaxDataLength) {
        // The length byte would wrap and the module would read a wrong record.
        qCWarning(lcDrivers) << "request" << command << "to" << devAddress() << "not sent:" << data.size()
                             << "data bytes";
        m_answerTimer->stop();
        m_timedOut = true;
        return;
    }
    m_answerTimer->start(qMax(0, m_timeOutMs));
    QByteArray bytes = data; // the endpoint takes a mutable pointer
    sendMsg(command, static_cast<quint8>(bytes.size()), reinterpret_cast<quint8 *>(bytes.data()));
}

bool AbstractDriver::waitingAnswer()
{
    // Sleep in the event loop until the reply (socket notifier, queued dataReady), the answer
    // timer or a stop request wakes it; never spin a core.
    const quint64 request = m_requestSerial;
    while (!m_answered && !m_timedOut && !StopRequest::isPending())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    if (request != m_requestSerial) {
        // Work run in here sent another request, which reset the flags: whatever answer came
        // belongs to that one as much as to ours, so ours is not counted as answered.
        qCDebug(lcDrivers) << "request to" << devAddress() << "superseded during its wait";
        return false;
    }
    return m_answered && !m_timedOut;
}

void AbstractDriver::pMsgReceived(quint8 address, quint8 command, quint8 dataLength, quint8 *data)
{
    if (address != devAddress())
        return;
    m_answerTimer->stop();
    m_answered = true;
    // Copy the data at once: it points into the link's buffer, and callbacks may send.
    dispatch(command, QByteArray(reinterpret_cast<const char *>(data), data ? dataLength : 0));
}

void AbstractDriver::dispatch(quint8 command, const QByteArray &data)
{
    // 0xFF marks a missing getter or setter; a reply carrying it belongs to no property.
    if (command == DriverProperty_p::NoCommand)
        return;
    for (DriverProperty_p *property : std::as_const(m_properties)) {
        if (property->cmdGetter() == command) {
            const qsizetype expected = property->dataSize();
            if (expected != DriverProperty_p::AnyLength && data.size() != expected) {
                qCDebug(lcDrivers) << "reply" << command << "from" << devAddress()
                                   << "dropped:" << data.size() << "bytes, expected" << expected;
                return;
            }
            property->storeReply(data);
            property->gettedSignal()->notify();
            return;
        }
        if (property->cmdSetter() == command) {
            property->settedSignal()->notify();
            return;
        }
    }
}
