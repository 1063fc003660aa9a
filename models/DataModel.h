#pragma once

#include "DataProviderList.h"
#include "DriverDataModel.h"
#include "ParameterItem.h"

#include <QAbstractListModel>
#include <QList>
#include <QString>

class QQmlEngine;
class QJSEngine;

/// The module list as a list model: one row per module, one role per value key seen so far.
/// Also owns the parameter panel of the active channel's module. Process-wide singleton, GUI
/// thread only.
class DataModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(DataProviderList *list READ list WRITE setList NOTIFY listChanged)
    Q_PROPERTY(DriverDataModel *driverModel READ driverModel CONSTANT)
public:
    /// How long a module is shown active after an update reports it so, ms.
    static constexpr int StatusFlashMs = 200;

    /// The one model, created without parent on first use.
    static DataModel *instance();
    /// The same object for the QML engine, which must not take ownership of it.
    static DataModel *qmlInstance(QQmlEngine *engine, QJSEngine *scriptEngine);

    QHash<int, QByteArray> roleNames() const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    /// Value of the module in `row` under `roleName`; invalid for an unknown name or row.
    Q_INVOKABLE QVariant data(int row, const QString &roleName) const;
    /// Writes a value the module already has; false when it lacks the key or the row is gone.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// Sets "selected" in every module that has the key; only operable modules are marked.
    Q_INVOKABLE void selectAll(bool value);

    DataProviderList *list() const { return m_list; }
    /// Follows another module list (not owned); rebuilds the role names.
    void setList(DataProviderList *list);
    DriverDataModel *driverModel() const { return m_driverModel; }

    /// Adds role names for keys not seen before; existing roles keep their numbers. Clears them
    /// when no list is set or it is empty.
    void updateNames();
    /// Makes `address` the active channel and, when a module has that address, rebuilds the
    /// parameter panel for its type. An unknown address leaves the panel as it was.
    void setActiveDriver(int address);

signals:
    void listChanged();

private:
    DataModel();
    void connectList();
    void onDataUpdated(int index, const QList<QString> &keys);
    void flashStatus(const QModelIndex &index);
    void forgetList();
    int roleOf(const QString &name) const;
    bool holdsRow(const QModelIndex &index) const;

    DataProviderList *m_list = nullptr; ///< not owned; dropped when it is destroyed
    QList<QString> m_roleNames;         ///< role of name i is Qt::UserRole + i
    DriverDataModel *m_driverModel;     ///< child
    QList<ParameterItem> m_parameters;  ///< the active module's panel, shown by m_driverModel
    int m_activeAddress = 0;            ///< bus address of the active channel
};
