#include "ParameterLimits.h"
#include "ParameterListBuilder.h"

#include <algorithm>
#include <cmath>

QString ParameterLimits::check(const DataProviderItem &module, const QString &name, double value)
{
    const QList<ParameterItem> rows = ParameterListBuilder::forModule(module);
    const auto row =
        std::find_if(rows.cbegin(), rows.cend(), [&](const ParameterItem &r) { return r.name() == name; });
    const bool ranged = row != rows.cend() && !row->range().isNull();
    const double shown = ranged ? value * row->scale() : value;
    // Written so that NaN fails too.
    if (ranged && shown >= row->range().x() && shown <= row->range().y())
        return {};
    if (!ranged && std::isfinite(value))
        return {};
    const QString caption = row != rows.cend() ? row->displayedName() : name;
    if (!ranged)
        return QStringLiteral("%1 is not a number").arg(caption);
    return QStringLiteral("%1 %2 is outside %3 to %4")
        .arg(caption, QString::number(shown, 'g', 6), QString::number(row->range().x()),
             QString::number(row->range().y()));
}
