#pragma once

#include "SimulatedSspd.h"

/// The SSPD driver module, modification 0: the shared SSPD codes, status bit 3 is the RF key
/// that routes the pulses to the comparator, and the 32-byte calibration record.
class SimulatedSspdM0 : public SimulatedSspd
{
public:
    SimulatedSspdM0(const ModuleDescription &description, const SimClock &clock, CryostatModel &cryostat);

protected:
    QByteArray dataImage() override;
};
