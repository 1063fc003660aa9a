#include "ProtocolLogging.h"

Q_LOGGING_CATEGORY(lcProtocol, "vt.protocol")
