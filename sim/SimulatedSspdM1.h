#pragma once

#include "SimulatedSspd.h"

/// The SSPD driver module, modification 1: the shared SSPD codes plus an independent monitor of
/// the bias current, the high-frequency mode on status bit 3 (setter 56; the pulses always reach
/// the comparator, code 25 is not used) and a pulse-width coefficient in the 44-byte
/// calibration record.
class SimulatedSspdM1 : public SimulatedSspd
{
public:
    enum M1Code : quint8
    {
        GetCurrentMonitor = 53,
        GetCurrentMonitorAdcCoeff = 54,
        SetCurrentMonitorAdcCoeff = 55,
        SetHighFrequencyMode = 56,
        SetPulseWidthCoeff = 57, ///< the setter comes before the getter here
        GetPulseWidthCoeff = 58,
    };

    SimulatedSspdM1(const ModuleDescription &description, const SimClock &clock, CryostatModel &cryostat);

protected:
    QByteArray dataImage() override;
    std::optional<QByteArray> handleModificationRequest(quint8 command, const QByteArray &data) override;

private:
    /// The monitor's own read-out of the bias current, A.
    float monitoredCurrent();
};
