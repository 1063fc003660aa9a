#pragma once

#include "SimulatedCalibratedModule.h"
#include "VT4CLM0Records.h"

/// The SIS control-line module: a current source (the coil that suppresses the junction's
/// Josephson current) with a short switch and a PID regulation switch. A shorted line carries no
/// current; a set point outside the limits of the calibration record is refused.
class SimulatedSisControlLineM0 : public SimulatedCalibratedModule
{
public:
    enum Code : quint8
    {
        GetData = 16,
        GetCurrent = 17,
        SetCurrent = 18,
        GetShort = 19,
        SetShort = 20,
        GetPid = 21,
        SetPid = 22,
        GetEepromConst = 23,
        SetEepromConst = 24,
    };

    explicit SimulatedSisControlLineM0(const ModuleDescription &description);

    void reset() override;

protected:
    std::optional<QByteArray> handleModuleRequest(quint8 command, const QByteArray &data) override;
    void shutDown() override;

private:
    float m_setCurrent = 0.0f; ///< A
    bool m_shorted = true;
    bool m_pid = false;
};
