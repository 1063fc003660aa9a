#include "CryostatModel.h"

#include <algorithm>
#include <cmath>

CryostatModel::CryostatModel() : CryostatModel(Settings{}) {}

CryostatModel::CryostatModel(const Settings &settings)
    : m_settings(settings), m_temperature(settings.baseTemperature), m_random(settings.seed)
{
}

void CryostatModel::advanceTo(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= m_lastTime)
        return;
    const double settling = m_settings.baseTemperature + (m_heaterOn ? m_settings.heaterRise : 0.0);
    // Exact solution of the first-order approach, so any step length is as good as many short ones.
    const double decay = std::exp(-(seconds - m_lastTime) / m_settings.timeConstant);
    m_temperature = settling + (m_temperature - settling) * decay;
    m_lastTime = seconds;
}

double CryostatModel::readTemperature()
{
    return m_temperature +
           std::uniform_real_distribution<double>(-m_settings.noise, m_settings.noise)(m_random);
}

double CryostatModel::pressure() const
{
    return PressureAtBase * m_temperature / m_settings.baseTemperature;
}
