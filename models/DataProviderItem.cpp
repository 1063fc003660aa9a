#include "DataProviderItem.h"

void DataProviderItem::append(const QString &key, const QVariant &value)
{
    m_values.insert(key, value);
}

bool DataProviderItem::contains(const QString &key) const
{
    return m_values.contains(key);
}

bool DataProviderItem::setValue(const QString &key, const QVariant &value)
{
    if (!m_values.contains(key))
        return false;
    m_values.insert(key, value);
    return true;
}

QVariant DataProviderItem::byName(const QString &key) const
{
    return m_values.value(key);
}

QList<QString> DataProviderItem::keys() const
{
    return m_values.keys();
}

void DataProviderItem::clear()
{
    m_values.clear();
}
