#pragma once

#include <QVariantMap>

/// The state of a running sweep, read afresh from the worker's sweep values at every use:
/// where it stands ("current"), where it goes ("from", "to", "step") and when it stops.
class СSweepParameters
{
public:
    explicit СSweepParameters(const QVariantMap &values);

    /// How far the sweep has come, percent; 100 for a sweep without a range to cover.
    double progress() const;
    /// The next setting: one step further towards "to".
    double next() const;
    /// True once the reading past "to" has been taken, or at once when there is no range to
    /// cover ("from" equal to "to", or no positive step): such a sweep ends after one reading.
    bool done() const;
    bool isTriggerAvailable() const { return m_triggerAvailable; }
    double trigger() const { return m_trigger; }
    double from() const { return m_from; }
    double timeConst() const { return m_timeConst; }
    bool isTimeConstAvailable() const { return m_timeConstAvailable; }

private:
    bool coversNoRange() const;

    double m_current;
    double m_from;
    double m_to;
    double m_step;
    double m_trigger;
    bool m_triggerAvailable;
    double m_timeConst; ///< s
    bool m_timeConstAvailable;
};
