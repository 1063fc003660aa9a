#pragma once

#include <QtGlobal>

/// Tells the readings of the sweep or histogram on the screen from all others. Its points are
/// the readings of its own channel that the worker took for this very run, after the run's own
/// set point; a late reading of an earlier run, of another mode or of another channel is not one.
class SweepRunFilter
{
public:
    /// Begins a new run on the channel at `address`; the number returned goes to the worker with
    /// the sweep values, and comes back on every reading of the run.
    quint64 begin(int address);
    bool accepts(int address, quint64 run) const;

private:
    quint64 m_run = 0; ///< 0: no run begun yet
    int m_address = -1;
};
