#pragma once

#include <QString>

class DataProviderItem;

/// The range a value written to a module must keep: the limits of the module's parameter panel
/// rows (ParameterListBuilder), so that every way of setting a value refuses what the panel would.
class ParameterLimits
{
public:
    /// Empty when `value` (in the module's own units: A, V, s) may be written to `name` on
    /// `module`, else why not, naming the row and its limits in shown units. A name without a
    /// panel range is accepted when finite.
    static QString check(const DataProviderItem &module, const QString &name, double value);
};
