#pragma once

#include <QHash>
#include <QObject>
#include <QSet>

#include <functional>

/// Brings a latched detector channel back to the superconducting state: its bias goes to 0,
/// where the wire cools below its retrapping current, and after `HoldMs` back to the set point.
/// Remembers the bias set points the operator gave; a channel biased before this session
/// returns to the bias it was measured at. GUI thread.
class LatchReset : public QObject
{
public:
    /// Queues one bias write (A) for the module at `address`.
    using BiasWriter = std::function<void(int address, double amperes)>;

    static constexpr int HoldMs = 300;             ///< time at zero bias, ms
    static constexpr double BiasResolution = 1e-7; ///< A, the step of the bias fields

    LatchReset(BiasWriter writeBias, QObject *parent = nullptr);

    void rememberSetPoint(int address, double amperes);
    /// Starts a reset of `address`; `measuredBias` (A) stands in for a set point not given this
    /// session. False while a reset of that channel is still running.
    bool reset(int address, double measuredBias);

private:
    BiasWriter m_writeBias;
    QHash<int, double> m_setPoints; ///< A, by bus address
    QSet<int> m_resetting;
};
