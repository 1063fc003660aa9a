#pragma once

#include "DataProviderItem.h"

#include <QList>
#include <QObject>
#include <QString>

/// The user interface's picture of the modules in the connected crate, one item per module.
/// Views follow the list through its signals; GUI thread only.
class DataProviderList : public QObject
{
    Q_OBJECT
public:
    /// Module kind; the parameter bridge uses the same numbers.
    enum DeviceType
    {
        DeviceTypeSspdM0 = 0,
        DeviceTypeSspdM1 = 1,
        DeviceTypeTempM0 = 2,
        DeviceTypeTempM1 = 3,
        DeviceTypeUnknown = 4,
    };
    Q_ENUM(DeviceType)

    /// What the module list shows as a colour under "status".
    enum DeviceStatus
    {
        DeviceStatusIdle = 0,
        DeviceStatusActive = 1,
        DeviceStatusFault = 2,
    };
    Q_ENUM(DeviceStatus)

    explicit DataProviderList(QObject *parent = nullptr);

    /// Whether the program switches the module on and off (its "type" is an SSPD modification or
    /// the one-sensor thermometer); the screens show every other module's switch disabled.
    static bool isOperable(const DataProviderItem &item);

    /// A copy of the whole list (implicitly shared, cheap).
    QList<DataProviderItem> items() const;
    /// Replaces the item at `index` without a signal; false and no change outside the list.
    bool setItemAt(int index, const DataProviderItem &item);

signals:
    void preItemAppended();
    void postItemAppended();
    void preItemRemoved(int index);
    void postItemRemoved();
    /// The values under `keys` of the item at `index` have been written.
    void dataUpdated(int index, QList<QString> keys);
    /// The list was rebuilt; views rebuild their roles and rows. Emitted by whoever rebuilt it.
    void updated();

public slots:
    void appendItem();
    void appendItem(const DataProviderItem &item);
    /// Does nothing for an index outside the list.
    void removeItem(int index);
    void removeAll();
    /// Writes the values of `item` into the first stored item with the same "address", only under
    /// keys that item already has, and reports the written keys through `dataUpdated`. Nothing
    /// happens when no stored item has that address.
    void updateItem(const DataProviderItem &item);

private:
    int indexOfAddress(const QVariant &address) const;

    QList<DataProviderItem> m_items;
};
