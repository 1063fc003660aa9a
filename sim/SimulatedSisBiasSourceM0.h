#pragma once

#include "SimulatedCalibratedModule.h"
#include "SisJunction.h"
#include "VT4BSM0Records.h"

#include <optional>

class SimClock;

/// The SIS bias-source module with a niobium junction on its output. In voltage-bias mode (0) it
/// sets the voltage and measures the junction current; in current-bias mode (1) the other way
/// round. A shorted junction reads zero. Set points outside the limits of the calibration record
/// are refused. Its own sweep (47/48 parameters, 49 start, 50 stop) steps the set point of the
/// swept quantity from start to stop, one step per dwell time, and stays at the last point.
class SimulatedSisBiasSourceM0 : public SimulatedCalibratedModule
{
public:
    enum Code : quint8
    {
        GetData = 16,
        GetCurrent = 17,
        SetCurrent = 18,
        GetVoltage = 19,
        SetVoltage = 20,
        GetShort = 21,
        SetShort = 22,
        GetMode = 23,
        SetMode = 24,
        GetPid = 25,
        SetPid = 26,
        GetEepromConst = 27,
        SetEepromConst = 28,
        GetSweepParams = 47,
        SetSweepParams = 48,
        SweepStart = 49,
        SweepStop = 50,
    };

    SimulatedSisBiasSourceM0(const ModuleDescription &description, const SimClock &clock);

    void reset() override;

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void shutDown() override;

private:
    VT4BSM0_Data_t measure();
    /// Moves a running sweep's set point on to now.
    void followSweep();
    bool setPoint(char mode, const QByteArray &data);
    VT4BSM0V0_EEPROM_Const_t constants() const { return calibration().as<VT4BSM0V0_EEPROM_Const_t>(); }

    const SimClock &m_clock;
    SisJunction m_junction;
    float m_setVoltage = 0.0f; ///< V
    float m_setCurrent = 0.0f; ///< A
    bool m_shorted = true;
    bool m_pid = false;
    char m_mode = VT4BSM0_ModeVoltageBias;
    VT4BSM0_SWEEP_PARAMS_t m_sweep{};
    std::optional<double> m_sweepStart; ///< simulated s of the running sweep
};
