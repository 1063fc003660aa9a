#include "AppLogging.h"

Q_LOGGING_CATEGORY(lcFacade, "vt.facade")
Q_LOGGING_CATEGORY(lcWorker, "vt.worker")
