#pragma once

#include "DriverDataModel.h"

#include <QPointF>
#include <QString>
#include <QVariant>

/// One row of a parameter panel: which module value it shows, how and within which limits.
class ParameterItem
{
public:
    ParameterItem() = default;
    /// `scale` turns `value` into the shown number; `range` is in shown units, (0, 0) where no
    /// editing range applies.
    ParameterItem(const QString &name, const QString &displayedName, const QVariant &value,
                  const QString &group, DriverDataModel::DriverDataModelType type, bool visible, double scale,
                  int precision, const QPointF &range);

    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }
    /// The caption, or the name when no caption was given.
    QString displayedName() const;
    void setDisplayedName(const QString &displayedName) { m_displayedName = displayedName; }
    bool visible() const { return m_visible; }
    void setVisible(bool visible) { m_visible = visible; }
    QVariant value() const { return m_value; }
    void setValue(const QVariant &value) { m_value = value; }
    QString group() const { return m_group; }
    void setGroup(const QString &group) { m_group = group; }
    DriverDataModel::DriverDataModelType type() const { return m_type; }
    void setType(DriverDataModel::DriverDataModelType type) { m_type = type; }
    double scale() const { return m_scale; }
    void setScale(double scale) { m_scale = scale; }
    // The accessor pair keeps the spelling the product has always published ("precisiion").
    int precisiion() const { return m_precision; }
    void setPrecisiion(int precision) { m_precision = precision; }
    QPointF range() const { return m_range; }
    void setRange(const QPointF &range) { m_range = range; }

private:
    QString m_name;          ///< key in the module's values and parameter name for writes
    QString m_displayedName; ///< caption
    bool m_visible = true;
    QVariant m_value; ///< in the module's own units (A, V, s, counts)
    QString m_group;  ///< section heading
    DriverDataModel::DriverDataModelType m_type = DriverDataModel::DriverDataTypeConstantDoubleFixed;
    double m_scale = 1.0; ///< shown = value * scale
    int m_precision = 0;  ///< decimals or significant digits, by type
    QPointF m_range;      ///< x lowest, y highest shown value
};
