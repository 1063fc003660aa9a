#pragma once

#include <QString>
#include <QtGlobal>

/// What the program knows about its link to the crate, for the indicator beside the status
/// text: connected; reconnecting since a time, with the number of tries; or lost, once
/// reconnecting has failed for LostAfterMs (the link keeps trying, and a success shows at once).
/// Fed on the worker thread by the link's connect attempts and a look at the socket after each
/// loop pass; plain value logic, so it is tested without a crate.
class ConnectionMonitor
{
public:
    enum State
    {
        StateNone = 0, ///< no crate connected yet, or the last connect failed
        StateConnected,
        StateReconnecting,
        StateLost
    };
    static constexpr qint64 LostAfterMs = 10000; ///< reconnecting this long counts as lost

    State state() const { return m_state; }
    qint64 sinceMs() const { return m_sinceMs; } ///< ms since the epoch the link went down
    int tries() const { return m_tries; }

    /// A connect attempt ended; true when what the indicator shows has changed.
    bool connectAttempted(bool connected, qint64 nowMs);
    /// How the socket looks after a loop pass; true when the indicator has changed.
    bool socketObserved(bool connected, qint64 nowMs);
    /// The link was dropped or could not be made at all.
    bool reset();

    /// The indicator's text: "connected", "reconnecting since hh:mm:ss (try n)", "lost".
    static QString text(State state, qint64 sinceMs, int tries);

private:
    bool enter(State state, qint64 sinceMs, int tries);

    State m_state = StateNone;
    qint64 m_sinceMs = 0;
    int m_tries = 0;
};
