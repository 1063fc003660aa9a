#include "SimulatedSisControlLineM0.h"

#include <algorithm>
#include <cmath>

namespace {
/// Factory record: converter pairs, ±50 mA limits, 10 µA step.
constexpr VT4CLM0V0_EEPROM_Const_t FactoryConstants = {
    {1.5259e-6f, 0.0f}, // current ADC, A per code
    {6.5536e5f, 0.0f},  // current DAC, codes per A
    {-50e-3f, 50e-3f},  // current limits, A
    10e-6f,             // current step, A
};

RecordImage calibrationRecord()
{
    using E = VT4CLM0V0_EEPROM_Const_t;
    return RecordImage(SimulatedSisControlLineM0::GetEepromConst, SimulatedSisControlLineM0::SetEepromConst,
                       ByteImage::of(FactoryConstants),
                       {
                           RecordImage::field(25, 26, &E::currentAdcCoeff),
                           RecordImage::field(27, 28, &E::currentDacCoeff),
                           RecordImage::field(29, 30, &E::currentLimits),
                           RecordImage::field(31, 32, &E::currentStep),
                       });
}
} // namespace

SimulatedSisControlLineM0::SimulatedSisControlLineM0(const ModuleDescription &description)
    : SimulatedCalibratedModule(description, calibrationRecord())
{
}

void SimulatedSisControlLineM0::reset()
{
    shutDown();
    m_pid = false;
    reloadCalibration();
}

void SimulatedSisControlLineM0::shutDown()
{
    m_setCurrent = 0.0f;
    m_shorted = true;
}

std::optional<QByteArray> SimulatedSisControlLineM0::handleModuleRequest(quint8 command,
                                                                         const QByteArray &data)
{
    using D = VT4CLM0V0_Data_t;
    constexpr quint8 None = RecordImage::NoCommand;
    switch (command) {
    case SetCurrent: {
        const auto amperes = ByteImage::to<float>(data);
        const pair_t<float> limits = calibration().as<VT4CLM0V0_EEPROM_Const_t>().currentLimits;
        const bool taken = amperes && std::isfinite(*amperes) &&
                           *amperes >= std::min(limits.first, limits.second) &&
                           *amperes <= std::max(limits.first, limits.second);
        if (taken)
            m_setCurrent = *amperes;
        return ByteImage::acknowledgement(taken);
    }
    case SetShort:
        return ByteImage::apply<quint8>(data, [this](quint8 on) { m_shorted = on != 0; });
    case GetPid:
        return ByteImage::of(quint8(m_pid ? 1 : 0));
    case SetPid:
        return ByteImage::apply<quint8>(data, [this](quint8 on) { m_pid = on != 0; });
    default:
        break;
    }
    if (auto reply = handleCalibrationRequest(command, data))
        return reply;
    VT4CLM0V0_Data_t measured{};
    measured.current = m_shorted ? 0.0f : m_setCurrent;
    measured.shortEnable = m_shorted;
    RecordImage record(GetData, None, ByteImage::of(measured),
                       {
                           RecordImage::field(GetCurrent, None, &D::current),
                           RecordImage::field(GetShort, None, &D::shortEnable),
                       });
    return record.handle(command, data);
}
