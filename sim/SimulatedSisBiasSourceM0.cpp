#include "SimulatedSisBiasSourceM0.h"
#include "SimClock.h"

#include <algorithm>
#include <cmath>

namespace {
/// Factory record: converter pairs, ±1 mA and ±10 mV limits, 1 µA and 10 µV steps, 10 Ω monitor.
constexpr VT4BSM0V0_EEPROM_Const_t FactoryConstants = {
    {3.0518e-8f, 0.0f}, // current ADC, A per code
    {3.0518e-7f, 0.0f}, // voltage ADC, V per code
    {3.2768e7f, 0.0f},  // current DAC, codes per A
    {3.2768e6f, 0.0f},  // voltage DAC, codes per V
    {-1e-3f, 1e-3f},    // current limits, A
    {-10e-3f, 10e-3f},  // voltage limits, V
    1e-6f,              // current step, A
    10e-6f,             // voltage step, V
    10.0f,              // current monitor resistance, Ω
};

RecordImage calibrationRecord()
{
    using E = VT4BSM0V0_EEPROM_Const_t;
    return RecordImage(SimulatedSisBiasSourceM0::GetEepromConst, SimulatedSisBiasSourceM0::SetEepromConst,
                       ByteImage::of(FactoryConstants),
                       {
                           RecordImage::field(29, 30, &E::currentAdcCoeff),
                           RecordImage::field(31, 32, &E::voltageAdcCoeff),
                           RecordImage::field(33, 34, &E::currentDacCoeff),
                           RecordImage::field(35, 36, &E::voltageDacCoeff),
                           RecordImage::field(37, 38, &E::currentLimits),
                           RecordImage::field(39, 40, &E::currentStep),
                           RecordImage::field(41, 42, &E::voltageLimits),
                           RecordImage::field(43, 44, &E::voltageStep),
                           RecordImage::field(45, 46, &E::currentMonitorResistance),
                       });
}

bool withinLimits(const pair_t<float> &limits, float value)
{
    return std::isfinite(value) && value >= std::min(limits.first, limits.second) &&
           value <= std::max(limits.first, limits.second);
}
} // namespace

SimulatedSisBiasSourceM0::SimulatedSisBiasSourceM0(const ModuleDescription &description,
                                                   const SimClock &clock)
    : SimulatedCalibratedModule(description, calibrationRecord()), m_clock(clock)
{
}

void SimulatedSisBiasSourceM0::reset()
{
    shutDown();
    m_pid = false;
    m_mode = VT4BSM0_ModeVoltageBias;
    m_sweep = {};
    reloadCalibration();
}

void SimulatedSisBiasSourceM0::shutDown()
{
    m_sweepStart.reset();
    m_setVoltage = 0.0f;
    m_setCurrent = 0.0f;
    m_shorted = true;
}

void SimulatedSisBiasSourceM0::followSweep()
{
    if (!m_sweepStart)
        return;
    const double span = double(m_sweep.stop) - double(m_sweep.start);
    const double step = std::abs(double(m_sweep.step));
    const int lastStep = int(std::floor(std::abs(span) / step + 1e-9));
    const int steps =
        std::min(lastStep, int(std::floor((m_clock.seconds() - *m_sweepStart) / m_sweep.dwell)));
    const auto point = static_cast<float>(m_sweep.start + std::copysign(step * steps, span));
    (m_sweep.mode == VT4BSM0_ModeCurrentBias ? m_setCurrent : m_setVoltage) = point;
    if (steps >= lastStep)
        m_sweepStart.reset(); // the sweep has reached its last point and stays there
}

VT4BSM0_Data_t SimulatedSisBiasSourceM0::measure()
{
    followSweep();
    VT4BSM0_Data_t data{};
    data.shortEnable = m_shorted;
    data.mode = m_mode;
    if (m_shorted)
        return data;
    if (m_mode == VT4BSM0_ModeCurrentBias) {
        data.current = m_setCurrent;
        data.voltage = static_cast<float>(m_junction.voltage(m_setCurrent));
    } else {
        data.voltage = m_setVoltage;
        data.current = static_cast<float>(m_junction.current(m_setVoltage));
    }
    return data;
}

bool SimulatedSisBiasSourceM0::setPoint(char mode, const QByteArray &data)
{
    const auto value = ByteImage::to<float>(data);
    const VT4BSM0V0_EEPROM_Const_t limits = constants();
    const bool current = mode == VT4BSM0_ModeCurrentBias;
    if (!value || !withinLimits(current ? limits.currentLimits : limits.voltageLimits, *value))
        return false;
    m_sweepStart.reset();
    (current ? m_setCurrent : m_setVoltage) = *value;
    return true;
}

std::optional<QByteArray> SimulatedSisBiasSourceM0::handleModuleRequest(quint8 command,
                                                                        const QByteArray &data)
{
    using D = VT4BSM0_Data_t;
    constexpr quint8 None = RecordImage::NoCommand;
    switch (command) {
    case SetCurrent:
        return ByteImage::acknowledgement(setPoint(VT4BSM0_ModeCurrentBias, data));
    case SetVoltage:
        return ByteImage::acknowledgement(setPoint(VT4BSM0_ModeVoltageBias, data));
    case SetShort:
        return ByteImage::apply<quint8>(data, [this](quint8 on) { m_shorted = on != 0; });
    case SetMode: {
        const auto mode = ByteImage::to<char>(data);
        const bool known = mode && (*mode == VT4BSM0_ModeVoltageBias || *mode == VT4BSM0_ModeCurrentBias);
        if (known)
            m_mode = *mode;
        return ByteImage::acknowledgement(known);
    }
    case GetPid:
        return ByteImage::of(quint8(m_pid ? 1 : 0));
    case SetPid:
        return ByteImage::apply<quint8>(data, [this](quint8 on) { m_pid = on != 0; });
    case GetSweepParams:
        return ByteImage::of(m_sweep);
    case SetSweepParams:
        return ByteImage::apply<VT4BSM0_SWEEP_PARAMS_t>(data, [this](const VT4BSM0_SWEEP_PARAMS_t &sweep) {
            m_sweep = sweep;
            m_sweepStart.reset();
        });
    case SweepStart: {
        const bool runnable = std::abs(m_sweep.step) > 0.0f && m_sweep.dwell > 0.0f &&
                              std::isfinite(m_sweep.step) && std::isfinite(m_sweep.dwell) &&
                              std::isfinite(m_sweep.start) && std::isfinite(m_sweep.stop);
        if (runnable) {
            m_mode =
                m_sweep.mode == VT4BSM0_ModeCurrentBias ? VT4BSM0_ModeCurrentBias : VT4BSM0_ModeVoltageBias;
            m_sweepStart = m_clock.seconds();
        }
        return ByteImage::acknowledgement(runnable);
    }
    case SweepStop:
        followSweep();
        m_sweepStart.reset();
        return QByteArray();
    default:
        break;
    }
    if (auto reply = handleCalibrationRequest(command, data))
        return reply;
    if (command < GetData || command > GetMode)
        return std::nullopt;
    RecordImage measured(GetData, None, ByteImage::of(measure()),
                         {
                             RecordImage::field(GetCurrent, None, &D::current),
                             RecordImage::field(GetVoltage, None, &D::voltage),
                             RecordImage::field(GetShort, None, &D::shortEnable),
                             RecordImage::field(GetMode, None, &D::mode),
                         });
    return measured.handle(command, data);
}
