#pragma once

#include "ParameterItem.h"

#include <QList>

class DataProviderItem;

/// Builds the parameter panel of one module from its type and current values.
class ParameterListBuilder
{
public:
    /// The rows for the module's "type": the SSPD rows (types 0 and 1, each with its own
    /// switches), the temperature rows (type 2), none for any other type.
    static QList<ParameterItem> forModule(const DataProviderItem &module);
};
