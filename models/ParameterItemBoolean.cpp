#include "ParameterItemBoolean.h"

ParameterItemBoolean::ParameterItemBoolean(const QString &name, const QString &displayedName, bool value,
                                           const QString &group)
    : ParameterItem(name, displayedName, QVariant(value), group, DriverDataModel::DriverDataTypeBool, true,
                    1.0, 0, QPointF(0, 0))
{
}
