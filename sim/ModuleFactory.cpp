#include "ModuleFactory.h"
#include "SimulatedHeaterM0.h"
#include "SimulatedSisBiasSourceM0.h"
#include "SimulatedSisControlLineM0.h"
#include "SimulatedSspdM0.h"
#include "SimulatedSspdM1.h"
#include "SimulatedTempM0.h"
#include "SimulatedTempM1.h"

std::unique_ptr<SimulatedModule> ModuleFactory::create(const ModuleDescription &description,
                                                       const SimClock &clock, CryostatModel &cryostat)
{
    const auto is = [&](const char *type) { return description.type.contains(QLatin1String(type)); };
    if (is("VT4SDM0"))
        return std::make_unique<SimulatedSspdM0>(description, clock, cryostat);
    if (is("VT4SDM1"))
        return std::make_unique<SimulatedSspdM1>(description, clock, cryostat);
    if (is("VT4TDM0"))
        return std::make_unique<SimulatedTempM0>(description, clock, cryostat);
    if (is("VT4TDM1"))
        return std::make_unique<SimulatedTempM1>(description, clock, cryostat);
    if (is("VT4HTM0"))
        return std::make_unique<SimulatedHeaterM0>(description, clock);
    if (is("VT4BSM0"))
        return std::make_unique<SimulatedSisBiasSourceM0>(description, clock);
    if (is("VT4CLM0"))
        return std::make_unique<SimulatedSisControlLineM0>(description);
    return std::make_unique<SimulatedModule>(description);
}
