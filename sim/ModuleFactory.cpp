#include "ModuleFactory.h"
#include "SimulatedSspdM0.h"

std::unique_ptr<SimulatedModule> ModuleFactory::create(const ModuleDescription &description,
                                                       const SimClock &clock, CryostatModel &cryostat)
{
    if (description.type.contains(QLatin1String("VT4SDM0")))
        return std::make_unique<SimulatedSspdM0>(description, clock, cryostat);
    // SSPD M1 and the temperature modules answer the common codes until they get their models.
    return std::make_unique<SimulatedModule>(description);
}
