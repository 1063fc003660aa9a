#pragma once

#include "EepromDataStorage.h"

#include <QAbstractListModel>
#include <QPointer>

class QQmlEngine;
class QJSEngine;

/// The calibration constants of a storage as a list model for the editor. Process-wide
/// singleton, GUI thread only; follows whichever storage it is given (not owned).
class EepromDataModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(EepromDataStorage *storage READ storage WRITE setStorage NOTIFY storageChanged)
public:
    enum Roles
    {
        GroupRole = Qt::UserRole + 1, // 257
        NameRole,
        DisplayedNameRole,
        TypeRole,
        ValueRole // 261
    };

    /// The one model, created without parent on first use.
    static EepromDataModel *instance();
    /// The same object for the QML engine, which must not take ownership of it.
    static EepromDataModel *qmlInstance(QQmlEngine *engine, QJSEngine *scriptEngine);

    QHash<int, QByteArray> roleNames() const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    /// A pair value comes as a map with "first" and "second".
    QVariant data(const QModelIndex &index, int role) const override;
    /// Only the value role changes anything: a pair takes a list of two numbers, a single value
    /// one number. A value of another form changes nothing and gives false.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;

    EepromDataStorage *storage() const { return m_storage; }
    void setStorage(EepromDataStorage *storage);

    /// The storage's group captions; the editor collapses them when fresh data arrives.
    Q_INVOKABLE QVariantList allCategories() const;

signals:
    void storageChanged();

private slots:
    void onItemAdded(EepromDataItem *item);
    void onItemRemoved(const QString &name);
    void onStorageCleared();

private:
    EepromDataModel();
    void resetAll();
    EepromDataItem *itemAt(const QModelIndex &index) const;

    QPointer<EepromDataStorage> m_storage; ///< not owned; dropped when it is destroyed
};
