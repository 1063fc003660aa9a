#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

class ParameterItem;
class DataProviderItem;

/// List model of one parameter panel: the rows of a QList of ParameterItem it does not own.
/// Also the holder of the row kinds the screens switch on ("DriverData" in QML).
class DriverDataModel : public QAbstractListModel
{
    Q_OBJECT
public:
    /// How a row is shown and edited.
    enum DriverDataModelType
    {
        DriverDataTypeConstantDoubleFixed = 0,     ///< read-only, precision = decimals
        DriverDataTypeConstantDoublePrecision = 1, ///< read-only, precision = significant digits
        DriverDataTypeDouble = 2,                  ///< spin box over range, writes value = shown / scale
        DriverDataTypeDoubleEdited = 3,            ///< text field limited to range
        DriverDataTypeBool = 4                     ///< switch
    };
    Q_ENUM(DriverDataModelType)

    /// Roles of the rows; numbered from the first user role + 1.
    enum Role
    {
        NameRole = Qt::UserRole + 1,
        ValueRole,
        TypeRole,
        GroupRole,
        DisplayedNameRole,
        VisibleRole,
        ScaleRole,
        PrecisionRole,
        RangeRole
    };

    explicit DriverDataModel(QObject *parent = nullptr);

    QHash<int, QByteArray> roleNames() const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    /// Only the value role is stored; other roles are accepted and ignored.
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QList<ParameterItem> *Items() const { return m_items; }
    /// Shows another list (the caller keeps ownership); a null pointer is ignored.
    void setItems(QList<ParameterItem> *items);

    /// Copies the values under `keys` from a module into the rows of the same name, and notifies
    /// only the rows whose value really changed.
    void setValue(const QList<QString> &keys, const DataProviderItem &item);

private:
    bool holdsRow(const QModelIndex &index) const;

    QList<ParameterItem> *m_items = nullptr;
};
