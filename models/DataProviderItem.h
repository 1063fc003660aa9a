#pragma once

#include <QList>
#include <QMap>
#include <QMetaType>
#include <QString>
#include <QVariant>

/// One module of the module list: named values (bus address, type, status, module information
/// and the latest readings) identified by "address". Keys come out in ascending QString order,
/// whatever the order they were added in, so key lists built from an item are stable.
class DataProviderItem
{
public:
    /// Inserts the pair, overwriting an existing value under `key`.
    void append(const QString &key, const QVariant &value);
    bool contains(const QString &key) const;
    /// Writes `value` only when `key` is already present; returns whether it was.
    bool setValue(const QString &key, const QVariant &value);
    /// The stored value, or an invalid QVariant when `key` is absent.
    QVariant byName(const QString &key) const;
    QList<QString> keys() const;
    void clear();

private:
    QMap<QString, QVariant> m_values;
};

Q_DECLARE_METATYPE(DataProviderItem)
