#include "AutomationLogging.h"

Q_LOGGING_CATEGORY(lcAutomation, "vt.automation")
