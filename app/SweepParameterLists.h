#pragma once

#include "ParameterItem.h"
#include "WorkerTypes.h"

#include <QList>
#include <QMap>

/// The "Sweep Parameter:" panels of the sweep and histogram screens, with their start values.
class SweepParameterLists
{
public:
    /// One list per mode: count rate versus current, versus trigger, current-voltage, histogram.
    static QMap<WorkerTypes::WorkerMode, QList<ParameterItem>> build();
};
