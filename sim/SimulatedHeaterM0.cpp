#include "SimulatedHeaterM0.h"
#include "SimClock.h"

#include <cmath>

namespace {
/// Factory record: converter pairs, then a 50 mA pulse rising in 2 s, held 5 s, falling in 3 s.
constexpr VT4HT0V0_EEPROM_Const_t FactoryConstants = {
    {7.6294e-7f, 0.0f}, // current ADC, A per code
    {1.3107e6f, 0.0f},  // current DAC, codes per A
    0.05f,              // maximum current, A
    2.0f,               // front edge, s
    5.0f,               // hold, s
    3.0f,               // rear edge, s
};

RecordImage calibrationRecord()
{
    using E = VT4HT0V0_EEPROM_Const_t;
    return RecordImage(SimulatedHeaterM0::GetEepromConst, SimulatedHeaterM0::SetEepromConst,
                       ByteImage::of(FactoryConstants),
                       {
                           RecordImage::field(33, 34, &E::currentAdcCoeff),
                           RecordImage::field(35, 36, &E::currentDacCoeff),
                           RecordImage::field(25, 26, &E::maximumCurrent),
                           RecordImage::field(27, 28, &E::frontEdgeTime),
                           RecordImage::field(29, 30, &E::holdTime),
                           RecordImage::field(31, 32, &E::rearEdgeTime),
                       });
}

/// The pulse's current `t` seconds after its start: front edge, hold, rear edge, then zero.
double pulseCurrent(const VT4HT0V0_EEPROM_Const_t &shape, double t)
{
    const double front = std::max(0.0f, shape.frontEdgeTime);
    const double hold = std::max(0.0f, shape.holdTime);
    const double rear = std::max(0.0f, shape.rearEdgeTime);
    if (t < front)
        return shape.maximumCurrent * t / front;
    if (t < front + hold)
        return shape.maximumCurrent;
    if (t < front + hold + rear)
        return shape.maximumCurrent * (1.0 - (t - front - hold) / rear);
    return 0.0;
}
} // namespace

SimulatedHeaterM0::SimulatedHeaterM0(const ModuleDescription &description, const SimClock &clock)
    : SimulatedCalibratedModule(description, calibrationRecord()), m_clock(clock)
{
}

void SimulatedHeaterM0::reset()
{
    shutDown();
    m_relay = 0;
    m_mode = ModeSetCurrent;
    reloadCalibration();
}

void SimulatedHeaterM0::shutDown()
{
    m_pulseStart.reset();
    m_setCurrent = 0.0f;
}

float SimulatedHeaterM0::current() const
{
    if (m_mode == ModeSetCurrent)
        return m_setCurrent;
    if (!m_pulseStart)
        return 0.0f;
    const double t = m_clock.seconds() - *m_pulseStart;
    return static_cast<float>(pulseCurrent(calibration().as<VT4HT0V0_EEPROM_Const_t>(), t));
}

VT4HTM0V0_Data_t SimulatedHeaterM0::measure() const
{
    VT4HTM0V0_Data_t data{};
    data.relayStatus = m_relay;
    data.mode = m_mode;
    data.current = current();
    return data;
}

std::optional<QByteArray> SimulatedHeaterM0::handleModuleRequest(quint8 command, const QByteArray &data)
{
    using D = VT4HTM0V0_Data_t;
    constexpr quint8 None = RecordImage::NoCommand;
    switch (command) {
    case StartHeating:
        m_pulseStart = m_clock.seconds();
        return QByteArray();
    case EmergencyStop:
        shutDown();
        return QByteArray();
    case SetCurrent: {
        const auto amperes = ByteImage::to<float>(data);
        const float maximum = calibration().as<VT4HT0V0_EEPROM_Const_t>().maximumCurrent;
        const bool taken = amperes && std::isfinite(*amperes) && *amperes >= 0.0f && *amperes <= maximum;
        if (taken)
            m_setCurrent = *amperes;
        return ByteImage::acknowledgement(taken);
    }
    case SetRelay:
        return ByteImage::apply<char>(data, [this](char relay) { m_relay = relay; });
    case SetMode: {
        const auto mode = ByteImage::to<char>(data);
        const bool known = mode && (*mode == ModeSetCurrent || *mode == ModePulse);
        if (known)
            m_mode = *mode;
        return ByteImage::acknowledgement(known);
    }
    default:
        break;
    }
    if (auto reply = handleCalibrationRequest(command, data))
        return reply;
    RecordImage measured(GetData, None, ByteImage::of(measure()),
                         {
                             RecordImage::field(GetCurrent, None, &D::current),
                             RecordImage::field(GetRelay, None, &D::relayStatus),
                             RecordImage::field(GetMode, None, &D::mode),
                         });
    return measured.handle(command, data);
}
