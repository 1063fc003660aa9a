#pragma once

#include "ModuleDescription.h"

#include <memory>

class CryostatModel;
class SimClock;
class SimulatedModule;

/// Builds the simulated module for a type string. A type names its model as the program
/// matches it (the string contains "VT4SDM0", ...); a type without a model of its own gets a
/// module that answers only the common identity getters and housekeeping commands. Detectors
/// and thermometers all sit on the crate's one cryostat stage.
class ModuleFactory
{
public:
    static std::unique_ptr<SimulatedModule> create(const ModuleDescription &description,
                                                   const SimClock &clock, CryostatModel &cryostat);
};
