#include "FirmwareLogging.h"

Q_LOGGING_CATEGORY(lcFirmware, "vt.firmware")
