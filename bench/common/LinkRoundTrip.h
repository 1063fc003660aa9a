#pragma once

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
