#pragma once

#include "RecordImage.h"
#include "SimulatedModule.h"
#include "TemperatureTable.h"
#include "VT4TDM0Records.h"

class CryostatModel;
class SimClock;

/// The single-channel temperature module: a resistance thermometer on the cryostat stage powered
/// by a programmable current, the temperature derived from its voltage with the 100-point
/// calibration table (read and written in chunks), and a pressure sensor bridge whose two
/// input voltages give the pressure of the helium circuit through the pressure coefficients.
/// The commutator connects the sensor: with it off the excitation is off. The calibration
/// pairs and the table are what write-EEPROM keeps.
class SimulatedTempM0 : public SimulatedModule
{
public:
    enum Code : quint8
    {
        GetData = 16,
        GetTemperature = 17,
        GetPressure = 18,
        GetSensorCurrent = 19,
        SetSensorCurrent = 20,
        GetSensorVoltage = 21,
        GetPressureVoltageP = 22,
        GetPressureVoltageN = 23,
        GetCommutator = 24,
        SetCommutator = 25,
        GetEepromConst = 26,
        SetEepromConst = 27, ///< the six pairs follow, getter and setter each, 28..39
        GetTableChunk = 40,
        SetTableChunk = 41,
    };

    SimulatedTempM0(const ModuleDescription &description, const SimClock &clock, CryostatModel &cryostat);

    void reset() override;

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void shutDown() override;
    QByteArray eepromImage() const override;
    void loadEeprom(const QByteArray &image) override;

private:
    /// One reading of every input, as the data record.
    VT4TDM0V1_Data_t measure();

    const SimClock &m_clock;
    CryostatModel &m_cryostat;
    RecordImage m_calibration;
    TemperatureTable m_table;
    float m_sensorCurrent; ///< set point, A
    bool m_commutator;
};
