#pragma once

#include "SimulatorProcess.h"
#include "vtTcpSocketIOInterface.h"

#include <QElapsedTimer>
#include <QSignalSpy>

/// One getter request through the TCP link and the wait for its reply record, in µs;
/// negative when no reply came within `waitMs`.
inline double linkRoundTripUs(vtTcpSocketIOInterface &link, quint8 address, quint8 getter, int waitMs)
{
    QSignalSpy replies(&link, &vtIOInterface::msgReceived);
    QElapsedTimer clock;
    clock.start();
    link.sendMsg(address, getter, 0, nullptr);
    if (!replies.wait(waitMs))
        return -1;
    return clock.nsecsElapsed() / 1000.0;
}

/// Starts `simulator` and points `link` at it, connected; a benchmark cannot go on otherwise.
inline void connectToSimulator(SimulatorProcess &simulator, vtTcpSocketIOInterface &link)
{
    if (!simulator.start())
        qFatal("the simulator did not start");
    link.setAddress(simulator.address());
    link.setPort(simulator.port());
    if (!link.initialize())
        qFatal("no connection to the simulator");
}
