#pragma once

#include "ParameterItem.h"

/// A switch row: a visible bool with no scale, precision or range.
class ParameterItemBoolean : public ParameterItem
{
public:
    ParameterItemBoolean(const QString &name, const QString &displayedName, bool value, const QString &group);
};
