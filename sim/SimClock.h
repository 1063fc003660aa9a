#pragma once

#include <QElapsedTimer>

/// The simulator's time base: monotonic seconds since start, multiplied by a time scale so that
/// tests can run slow physics (thermal time constants, long counting windows) faster.
class SimClock
{
public:
    explicit SimClock(double timeScale = 1.0);

    /// Simulated seconds since the clock was made.
    double seconds() const;
    double timeScale() const { return m_timeScale; }

private:
    QElapsedTimer m_elapsed;
    double m_timeScale;
};
