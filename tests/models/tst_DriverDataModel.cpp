#include "DriverDataModel.h"
#include "ParameterItemBoolean.h"

#include <QSignalSpy>
#include <QTest>

class tst_DriverDataModel : public QObject
{
    Q_OBJECT
private:
    // Fresh for every test function and data row.
    QList<ParameterItem> rows;
    const QList<ParameterItem> initialRows{
        ParameterItem("voltage", "", 0.5, "Bias source", DriverDataModel::DriverDataTypeConstantDoubleFixed,
                      true, 1000.0, 2, QPointF()),
        ParameterItemBoolean("status_shorted", "Shorted", true, "Bias source"),
    };

private slots:
    void init() { rows = initialRows; }

    void rolesAreNumberedFromTheFirstUserRole()
    {
        const QHash<int, QByteArray> roles = DriverDataModel().roleNames();
        const QList<QByteArray> names{"name",    "value", "type",      "group", "displayedName",
                                      "visible", "scale", "precision", "range"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(roles.value(257 + i), names.at(i));
        QCOMPARE(roles.size(), names.size());
    }

    void rowsAsData()
    {
        DriverDataModel model;
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.data(model.index(0), DriverDataModel::NameRole).isValid());
        model.setItems(&rows);
        model.setItems(nullptr); // ignored
        QCOMPARE(model.Items(), &rows);
        QCOMPARE(model.rowCount(), 2);
        const QModelIndex voltage = model.index(0);
        QCOMPARE(model.data(voltage, DriverDataModel::DisplayedNameRole), QVariant("voltage")); // no caption
        QCOMPARE(model.data(voltage, DriverDataModel::PrecisionRole), QVariant(2));
        QVERIFY(!model.data(voltage, Qt::DisplayRole).isValid());
        QVERIFY(!model.data(voltage, DriverDataModel::RangeRole + 1).isValid());
        QCOMPARE(model.flags(voltage) & Qt::ItemIsEditable, Qt::NoItemFlags);
        QCOMPARE(model.flags(model.index(1)) & Qt::ItemIsEditable, Qt::ItemIsEditable);
        QCOMPARE(model.flags(QModelIndex()), Qt::NoItemFlags);
    }

    void setDataStoresOnlyValues_data()
    {
        QTest::addColumn<int>("role");
        QTest::addColumn<bool>("stored");
        QTest::newRow("value") << int(DriverDataModel::ValueRole) << true;
        QTest::newRow("type") << int(DriverDataModel::TypeRole) << false;
        QTest::newRow("name") << int(DriverDataModel::NameRole) << false;
    }
    void setDataStoresOnlyValues()
    {
        QFETCH(int, role);
        QFETCH(bool, stored);
        DriverDataModel model;
        QVERIFY(!model.setData(model.index(0), 1.0, DriverDataModel::ValueRole)); // no list yet
        model.setItems(&rows);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QVERIFY(model.setData(model.index(0), 1.0, role));
        QCOMPARE(rows.at(0).value(), stored ? QVariant(1.0) : QVariant(0.5));
        QCOMPARE(rows.at(0).name(), QString("voltage"));
        QCOMPARE(rows.at(0).type(), DriverDataModel::DriverDataTypeConstantDoubleFixed);
        QCOMPARE(changed.size(), stored ? 1 : 0);
        QVERIFY(!model.setData(model.index(2), 1.0, DriverDataModel::ValueRole));
    }
};

QTEST_GUILESS_MAIN(tst_DriverDataModel)
#include "tst_DriverDataModel.moc"
