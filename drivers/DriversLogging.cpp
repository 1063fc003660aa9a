#include "DriversLogging.h"

Q_LOGGING_CATEGORY(lcDrivers, "vt.drivers")
