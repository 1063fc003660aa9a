#include "DataProviderList.h"

namespace {
const QString AddressKey = QStringLiteral("address");
} // namespace

DataProviderList::DataProviderList(QObject *parent) : QObject(parent) {}

bool DataProviderList::isOperable(const DataProviderItem &item)
{
    const QVariant type = item.byName(QStringLiteral("type"));
    for (int operable : {DeviceTypeSspdM0, DeviceTypeSspdM1, DeviceTypeTempM0}) {
        if (type == QVariant(operable))
            return true;
    }
    return false;
}

QList<DataProviderItem> DataProviderList::items() const
{
    return m_items;
}

bool DataProviderList::setItemAt(int index, const DataProviderItem &item)
{
    if (index < 0 || index >= m_items.size())
        return false;
    m_items[index] = item;
    return true;
}

void DataProviderList::appendItem()
{
    appendItem(DataProviderItem());
}

void DataProviderList::appendItem(const DataProviderItem &item)
{
    emit preItemAppended();
    m_items.append(item);
    emit postItemAppended();
}

void DataProviderList::removeItem(int index)
{
    // A view would be told to remove a row it does not have.
    if (index < 0 || index >= m_items.size())
        return;
    emit preItemRemoved(index);
    m_items.removeAt(index);
    emit postItemRemoved();
}

void DataProviderList::removeAll()
{
    while (!m_items.isEmpty())
        removeItem(0);
}

void DataProviderList::updateItem(const DataProviderItem &item)
{
    if (!item.contains(AddressKey))
        return;
    const int index = indexOfAddress(item.byName(AddressKey));
    if (index < 0)
        return;
    DataProviderItem &stored = m_items[index];
    QList<QString> written;
    for (const QString &key : item.keys()) {
        if (stored.setValue(key, item.byName(key)))
            written.append(key);
    }
    emit dataUpdated(index, written);
}

int DataProviderList::indexOfAddress(const QVariant &address) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        const DataProviderItem &candidate = m_items.at(i);
        if (candidate.contains(AddressKey) && candidate.byName(AddressKey) == address)
            return i;
    }
    return -1;
}
