#include "EepromDataItem.h"

EepromDataItem::EepromDataItem(QObject *parent) : QObject(parent) {}

EepromDataItem::EepromDataItem(const QString &group, const QString &name, const QString &displayedName,
                               EepromDataType type, const QVariant &value, QObject *parent)
    : QObject(parent), m_group(group), m_name(name), m_displayedName(displayedName), m_type(type),
      m_value(value)
{
}

void EepromDataItem::setGroup(const QString &group)
{
    if (m_group == group)
        return;
    m_group = group;
    emit groupChanged();
}

void EepromDataItem::setName(const QString &name)
{
    if (m_name == name)
        return;
    m_name = name;
    emit nameChanged();
}

void EepromDataItem::setDisplayedName(const QString &displayedName)
{
    if (m_displayedName == displayedName)
        return;
    m_displayedName = displayedName;
    emit displayedNameChanged();
}

void EepromDataItem::setType(EepromDataType type)
{
    if (m_type == type)
        return;
    m_type = type;
    emit typeChanged();
}

void EepromDataItem::setValue(const QVariant &value)
{
    if (m_value == value)
        return;
    m_value = value;
    emit valueChanged();
}
