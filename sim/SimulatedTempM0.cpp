#include "SimulatedTempM0.h"
#include "CryostatModel.h"
#include "SimClock.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double BridgeSensitivity = 1e-3; ///< pressure bridge output, V per mbar
constexpr double BridgeMidpoint = 2.5;     ///< common-mode voltage of both bridge inputs, V

/// Factory calibration: (slope, intercept) of each converter, raw codes to SI units and back.
constexpr VT4TDM0V1_EEPROM_Const_t FactoryConstants = {
    {1.5259e-9f, 0.0f},                                  // sensor current ADC, A per code
    {6.5536e8f, 0.0f},                                   // sensor current DAC, codes per A
    {3.0518e-6f, 0.0f},                                  // sensor voltage ADC, V per code
    {7.6294e-5f, 0.0f},                                  // pressure input P, V per code
    {7.6294e-5f, 0.0f},                                  // pressure input N, V per code
    {static_cast<float>(1.0 / BridgeSensitivity), 0.0f}, // pressure, mbar per V of P − N
};

RecordImage calibrationRecord()
{
    using E = VT4TDM0V1_EEPROM_Const_t;
    return RecordImage(SimulatedTempM0::GetEepromConst, SimulatedTempM0::SetEepromConst,
                       ByteImage::of(FactoryConstants),
                       {
                           RecordImage::field(28, 29, &E::tempSensorCurrentAdcCoeff),
                           RecordImage::field(30, 31, &E::tempSensorCurrentDacCoeff),
                           RecordImage::field(32, 33, &E::tempSensorVoltageCoeff),
                           RecordImage::field(34, 35, &E::pressSensorVoltagePCoeff),
                           RecordImage::field(36, 37, &E::pressSensorVoltageNCoeff),
                           RecordImage::field(38, 39, &E::pressSensorCoeff),
                       });
}

/// The data record with its single-value getters; nothing can be written through it.
RecordImage measuredRecord(const VT4TDM0V1_Data_t &data)
{
    using D = VT4TDM0V1_Data_t;
    constexpr quint8 None = RecordImage::NoCommand;
    return RecordImage(
        SimulatedTempM0::GetData, None, ByteImage::of(data),
        {
            RecordImage::field(SimulatedTempM0::GetTemperature, None, &D::temperature),
            RecordImage::field(SimulatedTempM0::GetPressure, None, &D::pressure),
            RecordImage::field(SimulatedTempM0::GetSensorCurrent, None, &D::tempSensorCurrent),
            RecordImage::field(SimulatedTempM0::GetSensorVoltage, None, &D::tempSensorVoltage),
            RecordImage::field(SimulatedTempM0::GetPressureVoltageP, None, &D::pressSensorVoltageP),
            RecordImage::field(SimulatedTempM0::GetPressureVoltageN, None, &D::pressSensorVoltageN),
            RecordImage::field(SimulatedTempM0::GetCommutator, None, &D::commutator),
        });
}
} // namespace

SimulatedTempM0::SimulatedTempM0(const ModuleDescription &description, const SimClock &clock,
                                 CryostatModel &cryostat)
    : SimulatedModule(description), m_clock(clock), m_cryostat(cryostat), m_calibration(calibrationRecord()),
      m_sensorCurrent(float(ResistanceThermometer::NominalCurrent)), m_commutator(true)
{
}

void SimulatedTempM0::reset()
{
    m_sensorCurrent = float(ResistanceThermometer::NominalCurrent);
    m_commutator = true;
    m_calibration.restoreFactory();
    m_table.restoreFactory();
    loadEeprom(eepromContent());
}

void SimulatedTempM0::shutDown()
{
    m_commutator = false; // safe state: no excitation through the sensor
}

QByteArray SimulatedTempM0::eepromImage() const
{
    return m_calibration.image() + m_table.image();
}

void SimulatedTempM0::loadEeprom(const QByteArray &image)
{
    const int calibrationSize = int(m_calibration.image().size());
    if (image.size() != calibrationSize + TemperatureTable::ImageSize)
        return;
    m_calibration.setImage(image.left(calibrationSize));
    m_table.setImage(image.mid(calibrationSize));
}

VT4TDM0V1_Data_t SimulatedTempM0::measure()
{
    m_cryostat.advanceTo(m_clock.seconds());
    VT4TDM0V1_Data_t data{};
    data.commutator = m_commutator;
    data.tempSensorCurrent = m_commutator ? m_sensorCurrent : 0.0f;
    data.tempSensorVoltage = static_cast<float>(
        ResistanceThermometer::voltage(data.tempSensorCurrent, m_cryostat.readTemperature()));
    data.temperature = static_cast<float>(m_table.temperatureAt(data.tempSensorVoltage));

    const double bridge = BridgeSensitivity * m_cryostat.pressure();
    data.pressSensorVoltageP = static_cast<float>(BridgeMidpoint + bridge / 2);
    data.pressSensorVoltageN = static_cast<float>(BridgeMidpoint - bridge / 2);
    const auto coefficient = m_calibration.as<VT4TDM0V1_EEPROM_Const_t>().pressSensorCoeff;
    data.pressure =
        coefficient.first * (data.pressSensorVoltageP - data.pressSensorVoltageN) + coefficient.second;
    return data;
}

std::optional<QByteArray> SimulatedTempM0::handleModuleRequest(quint8 command, const QByteArray &data)
{
    switch (command) {
    case SetSensorCurrent:
        return ByteImage::apply<float>(data, [&](float amperes) {
            if (!std::isnan(amperes))
                m_sensorCurrent = std::clamp(amperes, 0.0f, float(ResistanceThermometer::MaxCurrent));
        });
    case SetCommutator:
        return ByteImage::apply<quint8>(data, [&](quint8 on) { m_commutator = on != 0; });
    case GetTableChunk:
        return m_table.readChunk(data);
    case SetTableChunk:
        return ByteImage::acknowledgement(m_table.writeChunk(data));
    default:
        break;
    }
    if (auto reply = m_calibration.handle(command, data))
        return reply;
    if (command >= GetData && command <= GetCommutator)
        return measuredRecord(measure()).handle(command, data);
    return std::nullopt;
}
