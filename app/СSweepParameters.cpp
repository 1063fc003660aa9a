#include "СSweepParameters.h"

#include <QtMath>

namespace {
constexpr double Complete = 100.0; ///< percent
} // namespace

СSweepParameters::СSweepParameters(const QVariantMap &values)
    : m_current(values.value(QStringLiteral("current"), 0.0).toDouble()),
      m_from(values.value(QStringLiteral("from"), 0.0).toDouble()),
      m_to(values.value(QStringLiteral("to"), 0.0).toDouble()),
      m_step(values.value(QStringLiteral("step"), 0.0).toDouble()),
      m_trigger(values.value(QStringLiteral("trigger"), 0.0).toDouble()),
      m_triggerAvailable(values.contains(QStringLiteral("trigger"))),
      m_timeConst(values.value(QStringLiteral("time_constant"), 0.0).toDouble()),
      m_timeConstAvailable(values.contains(QStringLiteral("time_constant")))
{
}

bool СSweepParameters::coversNoRange() const
{
    // Without a range or a step the sweep could never reach its end.
    return !qIsFinite(m_from) || !qIsFinite(m_to) || m_from == m_to || !qIsFinite(m_step) || m_step <= 0;
}

double СSweepParameters::progress() const
{
    if (coversNoRange())
        return Complete;
    return (m_current - m_from) / (m_to - m_from) * Complete;
}

double СSweepParameters::next() const
{
    return m_to > m_from ? m_current + m_step : m_current - m_step;
}

bool СSweepParameters::done() const
{
    return coversNoRange() || progress() > Complete;
}
