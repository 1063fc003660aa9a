#include "ConnectionMonitor.h"

#include <QDateTime>

bool ConnectionMonitor::enter(State state, qint64 sinceMs, int tries)
{
    if (state == m_state && sinceMs == m_sinceMs && tries == m_tries)
        return false;
    m_state = state;
    m_sinceMs = sinceMs;
    m_tries = tries;
    return true;
}

bool ConnectionMonitor::connectAttempted(bool connected, qint64 nowMs)
{
    if (connected)
        return enter(StateConnected, 0, 0);
    switch (m_state) {
    case StateConnected:
        return enter(StateReconnecting, nowMs, 1);
    case StateReconnecting:
    case StateLost:
        return enter(nowMs - m_sinceMs >= LostAfterMs ? StateLost : StateReconnecting, m_sinceMs,
                     m_tries + 1);
    default:
        return false; // a first connect that fails is reported by the connect itself
    }
}

bool ConnectionMonitor::socketObserved(bool connected, qint64 nowMs)
{
    if (connected)
        return m_state == StateNone ? false : enter(StateConnected, 0, 0);
    if (m_state == StateConnected)
        return enter(StateReconnecting, nowMs, 0);
    if (m_state == StateReconnecting && nowMs - m_sinceMs >= LostAfterMs)
        return enter(StateLost, m_sinceMs, m_tries);
    return false;
}

bool ConnectionMonitor::reset()
{
    return enter(StateNone, 0, 0);
}

QString ConnectionMonitor::text(State state, qint64 sinceMs, int tries)
{
    switch (state) {
    case StateConnected:
        return QStringLiteral("connected");
    case StateReconnecting:
        return QStringLiteral("reconnecting since %1 (try %2)")
            .arg(QDateTime::fromMSecsSinceEpoch(sinceMs).toString(QStringLiteral("hh:mm:ss")))
            .arg(tries);
    case StateLost:
        return QStringLiteral("lost");
    default:
        return {};
    }
}
