#pragma once

#include "ScriptedModulePeer.h"
#include "vtTcpSocketIOInterface.h"

/// A driver on a real TCP link connected to a scripted module peer on loopback.
template <typename Driver> struct PeerLink
{
    static constexpr int ShortTimeOutMs = 100; ///< answer time-out the driver gets in tests

    ScriptedModulePeer peer;
    vtTcpSocketIOInterface link;
    Driver driver; ///< declared last, so it goes first

    bool start(quint8 address)
    {
        if (!peer.listen())
            return false;
        link.setAddress(peer.address());
        link.setPort(peer.port());
        driver.setDevAddress(address);
        driver.setIOInterface(&link);
        driver.setTimeOut(ShortTimeOutMs);
        return link.initialize();
    }
};
