#include "DataModel.h"
#include "CppOwnedSingleton.h"
#include "DataProviderList.h"
#include "ModelsLogging.h"
#include "ParameterListBuilder.h"

#include <QPersistentModelIndex>
#include <QQmlEngine>
#include <QTimer>

namespace {
const QString AddressKey = QStringLiteral("address");
const QString StatusKey = QStringLiteral("status");
const QString SelectedKey = QStringLiteral("selected");
} // namespace

DataModel *DataModel::instance()
{
    static DataModel *model = new DataModel();
    return model;
}

DataModel *DataModel::qmlInstance(QQmlEngine *engine, QJSEngine *scriptEngine)
{
    return cppOwnedSingleton<DataModel>(engine, scriptEngine);
}

DataModel::DataModel() : QAbstractListModel(nullptr), m_driverModel(new DriverDataModel(this)) {}

QHash<int, QByteArray> DataModel::roleNames() const
{
    QHash<int, QByteArray> roles;
    for (int i = 0; i < m_roleNames.size(); ++i)
        roles.insert(Qt::UserRole + i, m_roleNames.at(i).toLocal8Bit());
    return roles;
}

int DataModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_list)
        return 0;
    return int(m_list->items().size());
}

bool DataModel::holdsRow(const QModelIndex &index) const
{
    return m_list && index.isValid() && index.row() < m_list->items().size();
}

int DataModel::roleOf(const QString &name) const
{
    const qsizetype position = m_roleNames.indexOf(name);
    return position < 0 ? -1 : Qt::UserRole + int(position);
}

QVariant DataModel::data(const QModelIndex &index, int role) const
{
    if (!holdsRow(index) || role < Qt::UserRole || role - Qt::UserRole >= m_roleNames.size())
        return {};
    return m_list->items().at(index.row()).byName(m_roleNames.at(role - Qt::UserRole));
}

QVariant DataModel::data(int row, const QString &roleName) const
{
    if (!m_list || !m_roleNames.contains(roleName) || row < 0 || row >= m_list->items().size())
        return {};
    return m_list->items().at(row).byName(roleName);
}

bool DataModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!holdsRow(index) || role < Qt::UserRole || role - Qt::UserRole >= m_roleNames.size())
        return false;
    DataProviderItem item = m_list->items().at(index.row());
    if (!item.setValue(m_roleNames.at(role - Qt::UserRole), value))
        return false;
    if (!m_list->setItemAt(index.row(), item))
        return false;
    emit dataChanged(index, index, {role});
    return true;
}

Qt::ItemFlags DataModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return QAbstractListModel::flags(index) | Qt::ItemIsEditable;
}

void DataModel::selectAll(bool value)
{
    if (!m_list)
        return;
    beginResetModel();
    const QList<DataProviderItem> items = m_list->items();
    for (int i = 0; i < items.size(); ++i) {
        DataProviderItem item = items.at(i);
        // A module the program does not switch is never marked for switching.
        item.setValue(SelectedKey, value && DataProviderList::isOperable(item));
        m_list->setItemAt(i, item);
    }
    endResetModel();
}

void DataModel::setList(DataProviderList *list)
{
    if (list == m_list)
        return;
    beginResetModel();
    if (m_list)
        disconnect(m_list, nullptr, this, nullptr);
    m_list = list;
    if (m_list)
        connectList();
    updateNames();
    endResetModel();
    emit listChanged();
}

void DataModel::connectList()
{
    connect(m_list, &DataProviderList::preItemAppended, this, [this] {
        const int row = int(m_list->items().size());
        beginInsertRows(QModelIndex(), row, row);
    });
    connect(m_list, &DataProviderList::postItemAppended, this, [this] { endInsertRows(); });
    connect(m_list, &DataProviderList::preItemRemoved, this,
            [this](int index) { beginRemoveRows(QModelIndex(), index, index); });
    connect(m_list, &DataProviderList::postItemRemoved, this, [this] { endRemoveRows(); });
    connect(m_list, &DataProviderList::dataUpdated, this, &DataModel::onDataUpdated);
    connect(m_list, &DataProviderList::updated, this, [this] {
        qCDebug(lcModels) << "m_List updated";
        beginResetModel();
        updateNames();
        endResetModel();
        qCDebug(lcModels) << "m_List update done!!!";
    });
    connect(m_list, &QObject::destroyed, this, &DataModel::forgetList);
}

void DataModel::forgetList()
{
    // The owner deleted the list while it was shown; views must not read it any more.
    beginResetModel();
    m_list = nullptr;
    updateNames();
    endResetModel();
    emit listChanged();
}

void DataModel::updateNames()
{
    const QList<DataProviderItem> items = m_list ? m_list->items() : QList<DataProviderItem>();
    if (items.isEmpty()) {
        m_roleNames.clear();
        return;
    }
    for (const DataProviderItem &item : items) {
        for (const QString &key : item.keys()) {
            if (!m_roleNames.contains(key))
                m_roleNames.append(key);
        }
    }
}

void DataModel::onDataUpdated(int index, const QList<QString> &keys)
{
    const QModelIndex changed = this->index(index);
    if (!holdsRow(changed))
        return;
    QList<int> roles;
    for (const QString &key : keys) {
        const int role = roleOf(key);
        if (role >= 0 && key != AddressKey)
            roles.append(role);
    }
    const DataProviderItem item = m_list->items().at(index);
    if (item.byName(AddressKey) == QVariant(m_activeAddress))
        m_driverModel->setValue(keys, item);
    emit dataChanged(changed, changed, roles);
    flashStatus(changed);
}

void DataModel::flashStatus(const QModelIndex &index)
{
    const int statusRole = roleOf(StatusKey);
    if (statusRole < 0 || data(index, statusRole).toInt() != DataProviderList::DeviceStatusActive)
        return;
    // The row may move or vanish before the timer fires; a persistent index follows it.
    const QPersistentModelIndex row(index);
    QTimer::singleShot(StatusFlashMs, Qt::PreciseTimer, this, [this, row, statusRole] {
        // A fault reported meanwhile must stay visible; only an active status returns to idle.
        if (data(row, statusRole).toInt() != DataProviderList::DeviceStatusActive)
            return;
        if (setData(row, QVariant(int(DataProviderList::DeviceStatusIdle)), statusRole))
            emit dataChanged(row, row, {statusRole});
    });
}

void DataModel::setActiveDriver(int address)
{
    qCDebug(lcModels) << "DataModel::setActiveDriver" << address;
    m_activeAddress = address;
    if (!m_list)
        return;
    for (const DataProviderItem &item : m_list->items()) {
        if (item.byName(AddressKey) != QVariant(address))
            continue;
        m_parameters = ParameterListBuilder::forModule(item);
        m_driverModel->setItems(&m_parameters);
    }
}
