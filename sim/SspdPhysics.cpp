#include "SspdPhysics.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double SeriesResistance = 50.0;    ///< Ω, bias line and contacts in series with the wire
constexpr double LatchedResistance = 2000.0; ///< Ω, the latched hot spot seen by the bias source
constexpr double RetrapFraction = 0.25;      ///< retrapping current as a fraction of Ic
constexpr double EfficiencyMidpoint = 0.75;  ///< efficiency reaches half the plateau here, × Ic
constexpr double EfficiencyWidth = 0.05;     ///< width of the efficiency sigmoid, × Ic
constexpr double DarkCountSlope = 0.02;      ///< dark counts grow e-fold per this current, × Ic
constexpr double PulseGain = 2e4;            ///< amplified pulse height per bias current, V/A
constexpr double PulseSpread = 0.15;         ///< relative spread of the pulse heights
constexpr double PulseJitter = 0.01;         ///< spread of the pulse heights at any current, V
constexpr double NoiseCrossingRate = 2e7;    ///< noise crossings of a 0 V trigger level, counts/s
constexpr double NoiseRms = 0.02;            ///< amplifier noise at the comparator, V
constexpr double CurrentReadNoise = 0.5e-9;  ///< rms noise of the current read-out, A
constexpr double VoltageReadNoise = 20e-6;   ///< rms noise of the voltage read-out, V
constexpr double TimeEpsilon = 1e-9;         ///< s, below this two instants are the same
constexpr double Infinity = std::numeric_limits<double>::infinity();

quint32 saturatingAdd(quint32 count, double more)
{
    const double sum = static_cast<double>(count) + more;
    return sum >= std::numeric_limits<quint32>::max() ? std::numeric_limits<quint32>::max()
                                                      : static_cast<quint32>(sum);
}
} // namespace

SspdPhysics::SspdPhysics(const Settings &settings) : m_settings(settings), m_random(settings.seed) {}

void SspdPhysics::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return;
    double remaining = seconds;
    // Steps end at the next window boundary or at a reset that changes the state; stretches in
    // which nothing but the window count changes are jumped over, so a long idle costs a few steps.
    while (remaining > TimeEpsilon) {
        skipRepeatedWindows(remaining);
        const double toWindowEnd = std::max(0.0, m_timeConst - m_windowElapsed);
        const double toReset = autoResetPending() && !resetRepeats()
                                   ? std::max(0.0, m_autoResetTimeOut - m_overThresholdFor)
                                   : Infinity;
        const double step = std::min({remaining, toWindowEnd, toReset});
        remaining -= step;
        m_windowElapsed += step;
        accumulateOverThreshold(step);
        if (m_windowElapsed + TimeEpsilon >= m_timeConst)
            finishWindow();
    }
}

void SspdPhysics::skipRepeatedWindows(double &remaining)
{
    double horizon = remaining;
    if (autoResetPending() && !resetRepeats())
        horizon = std::min(horizon, m_autoResetTimeOut - m_overThresholdFor);
    // The last two windows before the horizon are stepped through, so the reported window is drawn.
    const double skipped = horizon - 2 * m_timeConst;
    if (skipped <= 0)
        return;
    m_windowElapsed = std::fmod(m_windowElapsed + skipped, m_timeConst);
    accumulateOverThreshold(skipped);
    remaining -= skipped;
}

void SspdPhysics::accumulateOverThreshold(double seconds)
{
    if (!autoResetPending()) {
        m_overThresholdFor = 0;
        return;
    }
    m_overThresholdFor += seconds;
    if (m_overThresholdFor + TimeEpsilon < m_autoResetTimeOut)
        return;
    // The reset drops the current and restores it; if the restored state is again above the
    // threshold (the wire latches at once, or the threshold is below the superconducting drop),
    // the reset repeats every time-out: count them all without stepping through each.
    const bool repeats = resetRepeats();
    const double resets = repeats ? std::floor((m_overThresholdFor + TimeEpsilon) / m_autoResetTimeOut) : 1;
    m_autoResetCount = saturatingAdd(m_autoResetCount, resets);
    m_latched = false;
    updateLatch();
    m_overThresholdFor = repeats ? std::max(0.0, m_overThresholdFor - resets * m_autoResetTimeOut) : 0;
}

void SspdPhysics::finishWindow()
{
    m_windowElapsed = 0;
    const double mean = countRate() * m_timeConst;
    if (mean <= 0) {
        m_lastWindowCounts = 0;
        return;
    }
    std::poisson_distribution<long long> counts(mean);
    m_lastWindowCounts = static_cast<double>(counts(m_random));
}

void SspdPhysics::setBiasCurrent(double amperes)
{
    if (std::isnan(amperes))
        return;
    m_biasCurrent = std::clamp(amperes, -MaxBiasCurrent, MaxBiasCurrent);
    updateLatch();
}

void SspdPhysics::setSwitches(const Switches &switches)
{
    m_switches = switches;
    updateLatch();
}

void SspdPhysics::setTriggerLevel(double volts)
{
    if (!std::isnan(volts))
        m_triggerLevel = volts;
}

void SspdPhysics::setTimeConst(double seconds)
{
    if (std::isnan(seconds))
        return;
    const double timeConst = std::clamp(seconds, MinTimeConst, MaxTimeConst);
    if (timeConst == m_timeConst)
        return; // rewriting the same value (e.g. with the whole record) keeps the window running
    m_timeConst = timeConst;
    m_windowElapsed = 0;
}

void SspdPhysics::setAutoResetThreshold(double volts)
{
    if (!std::isnan(volts))
        m_autoResetThreshold = volts;
}

void SspdPhysics::setAutoResetTimeOut(double seconds)
{
    if (std::isnan(seconds))
        return;
    m_autoResetTimeOut = std::clamp(seconds, MinAutoResetTimeOut, MaxTimeConst);
}

void SspdPhysics::setBathTemperature(double kelvin)
{
    if (std::isnan(kelvin))
        return;
    m_bathTemperature = std::max(0.0, kelvin);
    updateLatch();
}

double SspdPhysics::criticalCurrent() const
{
    const auto reduction = [](double kelvin) {
        const double ratio = kelvin / CriticalTemperature;
        return std::max(0.0, 1.0 - ratio * ratio);
    };
    return m_settings.criticalCurrent * reduction(m_bathTemperature) / reduction(ReferenceTemperature);
}

void SspdPhysics::updateLatch()
{
    const double current = std::abs(m_biasCurrent);
    const double critical = criticalCurrent();
    if (m_switches.shorted)
        m_latched = false; // the short takes the bias current off the wire
    else if (current > critical)
        m_latched = true;
    else if (current < RetrapFraction * critical)
        m_latched = false;
}

double SspdPhysics::voltage() const
{
    return voltageWhen(m_latched);
}

double SspdPhysics::voltageWhen(bool latched) const
{
    if (m_switches.shorted)
        return 0;
    return m_biasCurrent * (latched ? LatchedResistance : SeriesResistance);
}

bool SspdPhysics::isCounting() const
{
    return m_switches.amplifierOn && m_switches.rfKeyToComparator && m_switches.comparatorOn &&
           m_switches.counterOn;
}

double SspdPhysics::countRate() const
{
    if (!isCounting())
        return 0;
    const double current = std::abs(m_biasCurrent);
    const double critical = criticalCurrent();
    double pulseRate = 0;
    if (!m_switches.shorted && !m_latched && critical > 0) {
        const double efficiency =
            1.0 / (1.0 + std::exp(-(current - EfficiencyMidpoint * critical) / (EfficiencyWidth * critical)));
        const double darkCounts =
            m_settings.darkCountsAtCritical * std::exp((current - critical) / (DarkCountSlope * critical));
        const double pulseHeight = PulseGain * current;
        const double spread = PulseSpread * pulseHeight + PulseJitter;
        const double passing = 0.5 * std::erfc((m_triggerLevel - pulseHeight) / (std::sqrt(2.0) * spread));
        pulseRate = (m_settings.lightLevel * efficiency + darkCounts) * passing;
    }
    const double level = std::max(0.0, m_triggerLevel);
    const double noiseRate = NoiseCrossingRate * std::exp(-level * level / (2 * NoiseRms * NoiseRms));
    return pulseRate + noiseRate;
}

bool SspdPhysics::autoResetPending() const
{
    return m_switches.autoResetOn && !m_switches.shorted && std::abs(voltage()) > m_autoResetThreshold;
}

bool SspdPhysics::resetRepeats() const
{
    const bool latchedAfterReset = std::abs(m_biasCurrent) > criticalCurrent();
    return m_switches.autoResetOn && !m_switches.shorted &&
           std::abs(voltageWhen(latchedAfterReset)) > m_autoResetThreshold;
}

double SspdPhysics::measuredCurrent()
{
    return m_biasCurrent + std::normal_distribution<double>(0, CurrentReadNoise)(m_random);
}

double SspdPhysics::measuredVoltage()
{
    return voltage() + std::normal_distribution<double>(0, VoltageReadNoise)(m_random);
}
