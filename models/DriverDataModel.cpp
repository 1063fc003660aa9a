#include "DriverDataModel.h"
#include "DataProviderItem.h"
#include "ParameterItem.h"

DriverDataModel::DriverDataModel(QObject *parent) : QAbstractListModel(parent) {}

QHash<int, QByteArray> DriverDataModel::roleNames() const
{
    return {{NameRole, "name"},
            {ValueRole, "value"},
            {TypeRole, "type"},
            {GroupRole, "group"},
            {DisplayedNameRole, "displayedName"},
            {VisibleRole, "visible"},
            {ScaleRole, "scale"},
            {PrecisionRole, "precision"},
            {RangeRole, "range"}};
}

int DriverDataModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_items)
        return 0;
    return int(m_items->size());
}

bool DriverDataModel::holdsRow(const QModelIndex &index) const
{
    return m_items && index.isValid() && index.row() < m_items->size();
}

QVariant DriverDataModel::data(const QModelIndex &index, int role) const
{
    if (!holdsRow(index))
        return {};
    const ParameterItem &item = m_items->at(index.row());
    switch (role) {
    case NameRole:
        return item.name();
    case ValueRole:
        return item.value();
    case TypeRole:
        return int(item.type());
    case GroupRole:
        return item.group();
    case DisplayedNameRole:
        return item.displayedName();
    case VisibleRole:
        return item.visible();
    case ScaleRole:
        return item.scale();
    case PrecisionRole:
        return item.precisiion();
    case RangeRole:
        return item.range();
    default:
        return {};
    }
}

bool DriverDataModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!holdsRow(index))
        return false;
    if (role == ValueRole) {
        (*m_items)[index.row()].setValue(value);
        emit dataChanged(index, index, {ValueRole});
    }
    return true;
}

Qt::ItemFlags DriverDataModel::flags(const QModelIndex &index) const
{
    if (!holdsRow(index))
        return Qt::NoItemFlags;
    const Qt::ItemFlags defaults = QAbstractListModel::flags(index);
    if (m_items->at(index.row()).type() == DriverDataTypeConstantDoubleFixed)
        return defaults;
    return defaults | Qt::ItemIsEditable;
}

void DriverDataModel::setItems(QList<ParameterItem> *items)
{
    if (!items)
        return;
    beginResetModel();
    m_items = items;
    endResetModel();
}

void DriverDataModel::setValue(const QList<QString> &keys, const DataProviderItem &item)
{
    if (!m_items)
        return;
    for (int row = 0; row < m_items->size(); ++row) {
        ParameterItem &parameter = (*m_items)[row];
        if (!keys.contains(parameter.name()))
            continue;
        const QVariant value = item.byName(parameter.name());
        if (value == parameter.value())
            continue;
        parameter.setValue(value);
        const QModelIndex changed = index(row);
        emit dataChanged(changed, changed, {ValueRole});
    }
}
