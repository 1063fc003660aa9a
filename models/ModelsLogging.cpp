#include "ModelsLogging.h"

Q_LOGGING_CATEGORY(lcModels, "vt.models")
