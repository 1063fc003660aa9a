#include "DriverTransferProperty.h"

DriverTransferProperty::DriverTransferProperty(AbstractDriver *driver, quint8 getter, quint8 setter)
    : DriverProperty_p(driver, getter, setter)
{
    gettedSignal()->subscribe([this] { m_replied = true; });
    settedSignal()->subscribe([this] { m_acknowledged = true; });
}

std::optional<QByteArray> DriverTransferProperty::read(const QByteArray &request, int attempts)
{
    for (int attempt = 0; attempt < attempts; ++attempt) {
        m_replied = false;
        setBufferData({});
        readWriteSync(cmdGetter(), request, nullptr, 1);
        if (m_replied)
            return data();
    }
    return std::nullopt;
}

bool DriverTransferProperty::write(const QByteArray &data, int attempts)
{
    // With one code for both directions the acknowledgement is dispatched as a getter reply.
    const bool sharedCode = cmdGetter() == cmdSetter();
    for (int attempt = 0; attempt < attempts; ++attempt) {
        m_replied = false;
        m_acknowledged = false;
        readWriteSync(cmdSetter(), data, nullptr, 1);
        if (m_acknowledged || (sharedCode && m_replied))
            return true;
    }
    return false;
}
