#include "SimLogging.h"

Q_LOGGING_CATEGORY(lcSim, "vt.sim")
