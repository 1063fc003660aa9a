#include "SimulatedSspdM0.h"
#include "VT4SDM0Records.h"

namespace {
/// Factory calibration: (slope, intercept) of each converter, raw codes to SI units and back.
constexpr VT4SDM0V1_EEPROM_Const_t FactoryConstants = {
    {6.1035e-9f, -1.2e-8f}, // current ADC, A per code
    {3.0518e-5f, 0.0f},     // voltage ADC, V per code
    {1.6384e8f, 32768.0f},  // current DAC, codes per A
    {2.0e4f, 0.0f},         // comparator reference DAC, codes per V
};

RecordImage calibrationRecord()
{
    using E = VT4SDM0V1_EEPROM_Const_t;
    return RecordImage(SimulatedSspd::GetEepromConst, SimulatedSspd::SetEepromConst,
                       ByteImage::of(FactoryConstants),
                       {
                           RecordImage::field(43, 44, &E::currentAdcCoeff),
                           RecordImage::field(45, 46, &E::voltageAdcCoeff),
                           RecordImage::field(47, 48, &E::currentDacCoeff),
                           RecordImage::field(49, 50, &E::cmpReferenceCoeff),
                       });
}
} // namespace

SimulatedSspdM0::SimulatedSspdM0(const ModuleDescription &description, const SimClock &clock,
                                 CryostatModel &cryostat)
    : SimulatedSspd(description, clock, cryostat, {SetRfKey, true, calibrationRecord()})
{
}

QByteArray SimulatedSspdM0::dataImage()
{
    VT4SDM0V1_Data_t data{};
    data.current = static_cast<float>(physics().measuredCurrent());
    data.voltage = static_cast<float>(physics().measuredVoltage());
    data.counts = static_cast<float>(physics().lastWindowCounts());
    data.status = VT4SDM0_Status_t::fromByte(statusByte());
    return ByteImage::of(data);
}
