#include "cSweepParameters.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {
constexpr double Complete = 100.0; ///< percent
constexpr double Turn = 50.0;      ///< percent, where a both-ways sweep reaches "to"
} // namespace

cSweepParameters::cSweepParameters(const QVariantMap &values)
    : m_current(values.value(QStringLiteral("current"), 0.0).toDouble()),
      m_from(values.value(QStringLiteral("from"), 0.0).toDouble()),
      m_to(values.value(QStringLiteral("to"), 0.0).toDouble()),
      m_step(values.value(QStringLiteral("step"), 0.0).toDouble()),
      m_trigger(values.value(QStringLiteral("trigger"), 0.0).toDouble()),
      m_triggerAvailable(values.contains(QStringLiteral("trigger"))),
      m_timeConst(values.value(QStringLiteral("time_constant"), 0.0).toDouble()),
      m_timeConstAvailable(values.contains(QStringLiteral("time_constant"))),
      m_bothWays(values.value(QLatin1String(BothWaysKey), false).toBool()),
      m_returning(values.value(QLatin1String(ReturningKey), false).toBool()),
      m_run(values.value(QLatin1String(RunKey), 0).toULongLong())
{
}

bool cSweepParameters::coversNoRange() const
{
    // Without a range or a step the sweep could never reach its end.
    return !qIsFinite(m_from) || !qIsFinite(m_to) || m_from == m_to || !qIsFinite(m_step) || m_step <= 0;
}

double cSweepParameters::direction() const
{
    return m_to > m_from ? 1.0 : -1.0;
}

bool cSweepParameters::isPast(double value, double start, double end) const
{
    const double beyond = end > start ? value - end : end - value;
    return beyond > m_step / 2;
}

double cSweepParameters::onGrid(double value) const
{
    if (coversNoRange())
        return value;
    return m_from + std::round((value - m_from) / m_step) * m_step;
}

double cSweepParameters::progress() const
{
    if (coversNoRange())
        return Complete;
    const double covered = (m_current - m_from) / (m_to - m_from);
    if (!m_bothWays)
        return covered * Complete;
    return m_returning ? Complete - covered * Turn : covered * Turn;
}

double cSweepParameters::next() const
{
    const double towardsEnd = m_returning || turnsBack() ? -direction() : direction();
    return onGrid(m_current + towardsEnd * m_step);
}

bool cSweepParameters::turnsBack() const
{
    return m_bothWays && !m_returning && !coversNoRange() &&
           isPast(m_current + direction() * m_step, m_from, m_to);
}

bool cSweepParameters::done() const
{
    if (coversNoRange())
        return true;
    if (!m_bothWays)
        return isPast(m_current, m_from, m_to);
    return m_returning && isPast(m_current - direction() * m_step, m_to, m_from);
}

int cSweepParameters::decimalsFor(double scale) const
{
    // A step of 0.01 shown with one decimal would read as the same value several times over.
    constexpr double Rounding = 1e-9;
    const double shownStep = m_step * scale;
    if (!(shownStep > 0) || !qIsFinite(shownStep))
        return 1;
    return std::max(1, int(std::ceil(-std::log10(shownStep) - Rounding)));
}
