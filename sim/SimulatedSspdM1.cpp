#include "SimulatedSspdM1.h"
#include "VT4SDM1Records.h"

namespace {
/// Factory calibration: (slope, intercept) of each converter, raw codes to SI units and back.
constexpr VT4SDM1_EEPROM_Const_t FactoryConstants = {
    {6.1035e-9f, -1.2e-8f}, // current ADC, A per code
    {3.0518e-5f, 0.0f},     // voltage ADC, V per code
    {1.6384e8f, 32768.0f},  // current DAC, codes per A
    {6.1035e-9f, 4.0e-9f},  // current monitor ADC, A per code
    1.0f,                   // pulse width, as built
    {2.0e4f, 0.0f},         // comparator reference DAC, codes per V
};

/// The monitor sits on its own shunt: a small offset from the set point's read-out, A.
constexpr double MonitorOffset = 15e-9;

RecordImage calibrationRecord()
{
    using E = VT4SDM1_EEPROM_Const_t;
    return RecordImage(
        SimulatedSspd::GetEepromConst, SimulatedSspd::SetEepromConst, ByteImage::of(FactoryConstants),
        {
            RecordImage::field(43, 44, &E::currentAdcCoeff),
            RecordImage::field(45, 46, &E::voltageAdcCoeff),
            RecordImage::field(47, 48, &E::currentDacCoeff),
            RecordImage::field(49, 50, &E::cmpReferenceCoeff),
            RecordImage::field(SimulatedSspdM1::GetCurrentMonitorAdcCoeff,
                               SimulatedSspdM1::SetCurrentMonitorAdcCoeff, &E::currentMonitorAdcCoeff),
            RecordImage::field(SimulatedSspdM1::GetPulseWidthCoeff, SimulatedSspdM1::SetPulseWidthCoeff,
                               &E::pulseWidthCoeff),
        });
}
} // namespace

SimulatedSspdM1::SimulatedSspdM1(const ModuleDescription &description, const SimClock &clock,
                                 CryostatModel &cryostat)
    : SimulatedSspd(description, clock, cryostat, {SetHighFrequencyMode, false, calibrationRecord()})
{
}

float SimulatedSspdM1::monitoredCurrent()
{
    return static_cast<float>(physics().measuredCurrent() + MonitorOffset);
}

QByteArray SimulatedSspdM1::dataImage()
{
    VT4SDM1_Data_t data{};
    data.current = static_cast<float>(physics().measuredCurrent());
    data.currentMonitor = monitoredCurrent();
    data.voltage = static_cast<float>(physics().measuredVoltage());
    data.counts = static_cast<float>(physics().lastWindowCounts());
    data.status = VT4SDM1_Status_t::fromByte(statusByte());
    return ByteImage::of(data);
}

std::optional<QByteArray> SimulatedSspdM1::handleModificationRequest(quint8 command, const QByteArray &)
{
    if (command == GetCurrentMonitor)
        return ByteImage::of(monitoredCurrent());
    return std::nullopt;
}
