#include "EepromDataModel.h"
#include "CalibrationPair.h"
#include "CppOwnedSingleton.h"

#include <QJSValue>
#include <QQmlEngine>
#include <cmath>

namespace {
/// A finite number from a variant, or false.
bool finiteNumber(const QVariant &value, double *number)
{
    bool ok = false;
    *number = value.toDouble(&ok);
    return ok && std::isfinite(*number);
}
} // namespace

EepromDataModel *EepromDataModel::instance()
{
    static EepromDataModel *model = new EepromDataModel();
    return model;
}

EepromDataModel *EepromDataModel::qmlInstance(QQmlEngine *engine, QJSEngine *scriptEngine)
{
    return cppOwnedSingleton<EepromDataModel>(engine, scriptEngine);
}

EepromDataModel::EepromDataModel() : QAbstractListModel(nullptr) {}

QHash<int, QByteArray> EepromDataModel::roleNames() const
{
    return {{GroupRole, "group"},
            {NameRole, "name"},
            {DisplayedNameRole, "displayedName"},
            {TypeRole, "type"},
            {ValueRole, "value"}};
}

int EepromDataModel::rowCount(const QModelIndex &parent) const
{
    return m_storage && !parent.isValid() ? m_storage->count() : 0;
}

EepromDataItem *EepromDataModel::itemAt(const QModelIndex &index) const
{
    return m_storage && index.isValid() ? m_storage->get(index.row()) : nullptr;
}

QVariant EepromDataModel::data(const QModelIndex &index, int role) const
{
    const EepromDataItem *item = itemAt(index);
    if (!item)
        return {};
    switch (role) {
    case GroupRole:
        return item->group();
    case NameRole:
        return item->name();
    case DisplayedNameRole:
        return item->displayedName();
    case TypeRole:
        return int(item->type());
    case ValueRole:
        if (item->type() == EepromDataItem::Pair) {
            const CalibrationPair pair = item->value().value<CalibrationPair>();
            return QVariantMap{{QStringLiteral("first"), pair.first},
                               {QStringLiteral("second"), pair.second}};
        }
        return item->value();
    default:
        return {};
    }
}

bool EepromDataModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    EepromDataItem *item = itemAt(index);
    if (role != ValueRole || !item)
        return true;
    if (item->type() == EepromDataItem::Pair) {
        // A script array may arrive as a script value rather than as a list.
        const QVariantList list = value.metaType() == QMetaType::fromType<QJSValue>()
                                      ? value.value<QJSValue>().toVariant().toList()
                                      : value.toList();
        CalibrationPair pair;
        if (list.size() != 2 || !finiteNumber(list.at(0), &pair.first) ||
            !finiteNumber(list.at(1), &pair.second))
            return false;
        item->setValue(QVariant::fromValue(pair));
    } else {
        double number = 0;
        if (!finiteNumber(value, &number))
            return false;
        item->setValue(number);
    }
    emit dataChanged(index, index, {ValueRole});
    return true;
}

void EepromDataModel::setStorage(EepromDataStorage *storage)
{
    if (m_storage == storage)
        return;
    beginResetModel();
    if (m_storage)
        disconnect(m_storage, nullptr, this, nullptr);
    m_storage = storage;
    if (storage) {
        connect(storage, &EepromDataStorage::itemAdded, this, &EepromDataModel::onItemAdded);
        connect(storage, &EepromDataStorage::itemRemoved, this, &EepromDataModel::onItemRemoved);
        connect(storage, &EepromDataStorage::storageCleared, this, &EepromDataModel::onStorageCleared);
        connect(storage, &EepromDataStorage::updated, this, &EepromDataModel::resetAll);
        // The pointer is already cleared when this runs; the views still have to forget the rows.
        connect(storage, &QObject::destroyed, this, [this] {
            resetAll();
            emit storageChanged();
        });
    }
    endResetModel();
    emit storageChanged();
}

QVariantList EepromDataModel::allCategories() const
{
    return m_storage ? m_storage->groups() : QVariantList();
}

void EepromDataModel::onItemAdded(EepromDataItem *)
{
    resetAll();
}

void EepromDataModel::onItemRemoved(const QString &)
{
    resetAll();
}

void EepromDataModel::onStorageCleared()
{
    resetAll();
}

void EepromDataModel::resetAll()
{
    beginResetModel();
    endResetModel();
}
