#include "DriverProperty_p.h"
#include "AbstractDriver.h"
#include "StopRequest.h"

#include <utility>

DriverProperty_p::DriverProperty_p(AbstractDriver *driver, quint8 getter, quint8 setter)
    : m_driver(driver), m_cmdGetter(getter), m_cmdSetter(setter),
      m_gettedCallbacks(std::make_unique<PropertySignal>()),
      m_settedCallbacks(std::make_unique<PropertySignal>())
{
    m_driver->appendProperty(this);
}

DriverProperty_p::~DriverProperty_p()
{
    // A reply arriving later must not be dispatched to a deleted property.
    m_driver->removeProperty(this);
}

qsizetype DriverProperty_p::dataSize() const
{
    return 0;
}

PropertySignal *DriverProperty_p::gettedSignal() const
{
    return m_gettedCallbacks.get();
}

PropertySignal *DriverProperty_p::settedSignal() const
{
    return m_settedCallbacks.get();
}

void DriverProperty_p::readWrite(quint8 command, QByteArray data)
{
    m_driver->sendMsg(command, data);
    m_lastSentData = std::move(data);
}

QByteArray DriverProperty_p::readWriteSync(quint8 command, QByteArray data, bool *ok, int attempts)
{
    bool answered = false;
    for (int attempt = 0; attempt < attempts && !answered && !StopRequest::isPending(); ++attempt) {
        m_driver->sendMsg(command, data);
        m_lastSentData = data;
        answered = m_driver->waitingAnswer();
    }
    if (ok)
        *ok = answered;
    return m_receivedData;
}
