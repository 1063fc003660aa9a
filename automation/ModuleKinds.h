#pragma once

#include <QString>

class DataProviderItem;

/// What kind of module a module-list item is, in the crate's own type names.
class ModuleKinds
{
public:
    /// "VT4SDM0", "VT4SDM1", "VT4TDM0", "VT4TDM1", or "unknown".
    static QString typeName(const DataProviderItem &module);
    /// A detector (SSPD) channel of either modification.
    static bool isDetector(const DataProviderItem &module);
    /// A temperature module of either modification.
    static bool isThermometer(const DataProviderItem &module);
};
