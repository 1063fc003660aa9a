#pragma once

#include "vtTcpSocketIOInterface.h"

#include <QElapsedTimer>
#include <QSignalSpy>

/// One module getter over its own TCP link: a 3-byte request answered with a 20-byte record,
/// the unit every synchronous driver read is made of. Lives on the thread that calls it.
class LinkProbe
{
public:
    static constexpr quint8 ParamsGetter = 0x1D; ///< answered with a 20-byte record
    static constexpr int ReplyWaitMs = 1000;

    LinkProbe(const QHostAddress &address, quint16 port, quint8 moduleAddress)
        : m_moduleAddress(moduleAddress)
    {
        m_link.setAddress(address);
        m_link.setPort(port);
        m_connected = m_link.initialize();
    }

    bool isConnected() const { return m_connected; }

    /// Request to reply, µs; -1 when no reply came.
    double roundTripUs()
    {
        QSignalSpy replies(&m_link, &vtIOInterface::msgReceived);
        QElapsedTimer clock;
        clock.start();
        m_link.sendMsg(m_moduleAddress, ParamsGetter, 0, nullptr);
        if (!replies.wait(ReplyWaitMs))
            return -1;
        return clock.nsecsElapsed() / 1000.0;
    }

private:
    vtTcpSocketIOInterface m_link;
    quint8 m_moduleAddress;
    bool m_connected = false;
};
