#pragma once

#include <QVariantMap>

/// The state of a running sweep, read afresh from the worker's sweep values at every use:
/// where it stands ("current"), where it goes ("from", "to", "step") and when it stops.
/// Settings lie on the grid "from" + k × "step", so that many small steps do not drift off it.
class cSweepParameters
{
public:
    /// bool: after "to" the sweep comes back to "from" in the same run.
    static constexpr const char *BothWaysKey = "both_ways";
    /// bool: a both-ways sweep is on its way back; the worker sets it at the turn.
    static constexpr const char *ReturningKey = "returning";
    /// Which activation of a screen the sweep belongs to; its readings carry it.
    static constexpr const char *RunKey = "run";

    explicit cSweepParameters(const QVariantMap &values);

    /// How far the sweep has come, percent; 100 for a sweep without a range to cover. A
    /// both-ways sweep reaches 50 at "to".
    double progress() const;
    /// The next setting: one step further towards "to", or towards "from" on the way back.
    double next() const;
    /// True once the reading past "to" has been taken (a both-ways sweep: the reading back at
    /// "from"), or at once when there is no range to cover ("from" equal to "to", or no positive
    /// step): such a sweep ends after one reading.
    bool done() const;
    /// True when the step after this reading is the first one of the way back.
    bool turnsBack() const;
    bool isTriggerAvailable() const { return m_triggerAvailable; }
    double trigger() const { return m_trigger; }
    double from() const { return m_from; }
    double timeConst() const { return m_timeConst; }
    bool isTimeConstAvailable() const { return m_timeConstAvailable; }
    quint64 run() const { return m_run; }
    /// Decimals that tell one setting from the next when shown times `scale` (1e6 for uA), at
    /// least one.
    int decimalsFor(double scale) const;

private:
    bool coversNoRange() const;
    /// +1 when the sweep goes up from "from", -1 when it goes down.
    double direction() const;
    /// Whether `value` lies beyond `end`, seen from `start`, by more than half a step.
    bool isPast(double value, double start, double end) const;
    /// The grid point nearest to `value`.
    double onGrid(double value) const;

    double m_current;
    double m_from;
    double m_to;
    double m_step;
    double m_trigger;
    bool m_triggerAvailable;
    double m_timeConst; ///< s
    bool m_timeConstAvailable;
    bool m_bothWays;
    bool m_returning;
    quint64 m_run;
};

/// The sweep state's original name, spelt with a Cyrillic "С"; new code uses cSweepParameters.
using СSweepParameters = cSweepParameters;
