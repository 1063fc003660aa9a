#pragma once

#include "LinkRoundTrip.h"
#include "vtTcpSocketIOInterface.h"

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
    double roundTripUs() { return linkRoundTripUs(m_link, m_moduleAddress, ParamsGetter, ReplyWaitMs); }

private:
    vtTcpSocketIOInterface m_link;
    quint8 m_moduleAddress;
    bool m_connected = false;
};
