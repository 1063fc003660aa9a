#include "CryostatModel.h"

#include <algorithm>
#include <cmath>

namespace {
/// First-order approach of `value` to `target` over `seconds` with `timeConstant`.
double approach(double value, double target, double seconds, double timeConstant)
{
    return target + (value - target) * std::exp(-seconds / timeConstant);
}
} // namespace

CryostatModel::CryostatModel() : CryostatModel(Settings{}) {}

CryostatModel::CryostatModel(const Settings &settings)
    : m_settings(settings), m_temperature(settings.baseTemperature),
      m_pumpTemperature(settings.baseTemperature), m_random(settings.seed)
{
}

void CryostatModel::advanceTo(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= m_lastTime)
        return;
    // Short steps, so that the pump's thresholds are crossed close to when they are; each step
    // is the exact solution of its first-order approach.
    while (m_lastTime < seconds) {
        const double length = std::min(MaxStep, seconds - m_lastTime);
        step(length);
        m_lastTime = length < MaxStep ? seconds : m_lastTime + length;
    }
}

void CryostatModel::step(double seconds)
{
    const Settings &s = m_settings;
    m_temperature = approach(m_temperature, stageSettlingPoint(), seconds, s.timeConstant);

    if (m_pumpTemperature >= s.desorptionTemperature)
        m_charge = std::min(1.0, m_charge + seconds / s.chargeTime);
    else if (m_pumpTemperature < s.pumpingTemperature && !m_heaterOn)
        m_charge = std::max(0.0, m_charge - seconds / s.holdTime);

    double pumpTarget = s.baseTemperature;
    if (m_heaterOn)
        pumpTarget =
            m_heatSwitchClosed ? (s.pumpHotTemperature + s.baseTemperature) / 2 : s.pumpHotTemperature;
    const bool driven = m_heaterOn || m_heatSwitchClosed;
    m_pumpTemperature = approach(m_pumpTemperature, pumpTarget, seconds,
                                 driven ? s.pumpTimeConstant : s.pumpLeakTimeConstant);
}

double CryostatModel::stageSettlingPoint() const
{
    const Settings &s = m_settings;
    if (m_heaterOn)
        return s.baseTemperature + s.heaterRise;
    if (m_charge <= 0.0 || m_pumpTemperature >= s.pumpingTemperature)
        return s.baseTemperature;
    // The colder the pump, the lower the vapour pressure it leaves over the liquid.
    const double strength = std::clamp(
        (s.pumpingTemperature - m_pumpTemperature) / (s.pumpingTemperature - s.baseTemperature), 0.0, 1.0);
    return s.baseTemperature - strength * (s.baseTemperature - s.sorptionTemperature);
}

double CryostatModel::noise()
{
    return std::uniform_real_distribution<double>(-m_settings.noise, m_settings.noise)(m_random);
}

double CryostatModel::readTemperature()
{
    return m_temperature + noise();
}

double CryostatModel::readPumpTemperature()
{
    return m_pumpTemperature + noise();
}

double CryostatModel::pressure() const
{
    return PressureAtBase * m_temperature / m_settings.baseTemperature;
}
