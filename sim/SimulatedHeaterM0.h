#pragma once

#include "SimulatedCalibratedModule.h"
#include "VT4HTM0Records.h"

#include <optional>

class SimClock;

/// The heater module: drives a heater current either at a set value (mode 0) or as a pulse
/// (mode 1) started by command 13: the current rises to the maximum over the front edge, is held
/// for the hold time and falls to zero over the rear edge. Emergency stop (14) and shut-down
/// end any pulse and set the current to zero. The pulse shape and the calibration pairs form the
/// calibration record that write-EEPROM keeps. A current above the maximum is refused.
class SimulatedHeaterM0 : public SimulatedCalibratedModule
{
public:
    enum Code : quint8
    {
        StartHeating = 13,
        EmergencyStop = 14,
        GetData = 16,
        GetCurrent = 17,
        SetCurrent = 18,
        GetRelay = 19,
        SetRelay = 20,
        GetMode = 21,
        SetMode = 22,
        GetEepromConst = 23,
        SetEepromConst = 24,
    };
    enum Mode : char
    {
        ModeSetCurrent = 0,
        ModePulse = 1,
    };

    SimulatedHeaterM0(const ModuleDescription &description, const SimClock &clock);

    void reset() override;
    /// The heater current now, A.
    float current() const;

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void shutDown() override;

private:
    VT4HTM0V0_Data_t measure() const;

    const SimClock &m_clock;
    float m_setCurrent = 0.0f; ///< A, mode 0
    char m_relay = 0;
    char m_mode = ModeSetCurrent;
    std::optional<double> m_pulseStart; ///< simulated s of the running pulse
};
