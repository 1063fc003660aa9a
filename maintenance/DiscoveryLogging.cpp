#include "DiscoveryLogging.h"

Q_LOGGING_CATEGORY(lcDiscovery, "vt.discovery")
