#include "SimClock.h"

namespace {
constexpr double NanosecondsPerSecond = 1e9;
}

SimClock::SimClock(double timeScale) : m_timeScale(timeScale)
{
    m_elapsed.start();
}

double SimClock::seconds() const
{
    return static_cast<double>(m_elapsed.nsecsElapsed()) / NanosecondsPerSecond * m_timeScale;
}
