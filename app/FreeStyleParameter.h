#pragma once

#include <QString>
#include <QVariant>

/// The parameter names the screens may change on a module, and the values each takes: a finite
/// number for set points, a flag for switches. Anything else is dropped before it reaches a module.
class FreeStyleParameter
{
public:
    /// True when `name` is a free-style name and `value` is of its kind.
    static bool accepts(const QString &name, const QVariant &value);

private:
    static bool isNumber(const QVariant &value);
    static bool isFlag(const QVariant &value);
};
