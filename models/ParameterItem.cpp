#include "ParameterItem.h"

ParameterItem::ParameterItem(const QString &name, const QString &displayedName, const QVariant &value,
                             const QString &group, DriverDataModel::DriverDataModelType type, bool visible,
                             double scale, int precision, const QPointF &range)
    : m_name(name), m_displayedName(displayedName), m_visible(visible), m_value(value), m_group(group),
      m_type(type), m_scale(scale), m_precision(precision), m_range(range)
{
}

QString ParameterItem::displayedName() const
{
    return m_displayedName.isEmpty() ? m_name : m_displayedName;
}
