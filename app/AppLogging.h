#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcFacade)
Q_DECLARE_LOGGING_CATEGORY(lcWorker)
