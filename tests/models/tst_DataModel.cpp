#include "DataModel.h"
#include "DataProviderList.h"
#include "DriverDataModel.h"

#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QTest>

namespace {

DataProviderItem module(int address, int type, int status)
{
    DataProviderItem item;
    item.append(QStringLiteral("address"), address);
    item.append(QStringLiteral("type"), type);
    item.append(QStringLiteral("status"), status);
    return item;
}

DataProviderItem update(int address, const QString &key, const QVariant &value)
{
    DataProviderItem item;
    item.append(QStringLiteral("address"), address);
    item.append(key, value);
    return item;
}

/// Roles reported by the dataChanged signals recorded in `spy`.
QList<QList<int>> changedRoles(const QSignalSpy &spy)
{
    QList<QList<int>> roles;
    for (const QList<QVariant> &call : spy)
        roles.append(call.at(2).value<QList<int>>());
    return roles;
}

QStringList panelNames(const DriverDataModel *panel)
{
    QStringList names;
    for (int row = 0; row < panel->rowCount(); ++row)
        names.append(panel->data(panel->index(row), DriverDataModel::NameRole).toString());
    return names;
}

} // namespace

class tst_DataModel : public QObject
{
    Q_OBJECT
private:
    DataModel *model = DataModel::instance();
    int roleOf(const QString &name) const { return model->roleNames().key(name.toLocal8Bit(), -1); }
    int statusOf(int row) const { return model->data(model->index(row), roleOf("status")).toInt(); }

private slots:
    void cleanup() { model->setList(nullptr); }

    void rolesFollowKeysAndKeepTheirNumbers()
    {
        DataProviderList list;
        list.appendItem(module(3, 0, 0));
        model->setList(&list);
        // Keys of the first item in map order: address, status, type.
        QCOMPARE(model->roleNames(),
                 (QHash<int, QByteArray>{{256, "address"}, {257, "status"}, {258, "type"}}));

        DataProviderItem richer = module(4, 0, 0);
        richer.append(QStringLiteral("cps"), 10.0);
        list.appendItem(richer);
        QCOMPARE(roleOf("cps"), -1); // new keys wait for the rebuild signal
        emit list.updated();
        QCOMPARE(roleOf("cps"), 259);
        QCOMPARE(roleOf("address"), 256);

        list.removeAll();
        emit list.updated();
        QVERIFY(model->roleNames().isEmpty());
    }

    void aDeletedListLeavesAnEmptyModel()
    {
        auto *list = new DataProviderList;
        list->appendItem(module(1, 0, 0));
        model->setList(list);
        QSignalSpy listChanged(model, &DataModel::listChanged);
        delete list;
        QCOMPARE(listChanged.size(), 1);
        QCOMPARE(model->list(), nullptr);
        QCOMPARE(model->rowCount(), 0);
        QVERIFY(!model->data(model->index(0), 256).isValid());
    }

    void updateReportsTheWrittenRoles_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QList<int>>("roles");
        QTest::newRow("address only") << QString("address") << QList<int>{};
        QTest::newRow("known key") << QString("type") << QList<int>{258};
        QTest::newRow("key without a role") << QString("cps") << QList<int>{};
    }
    void updateReportsTheWrittenRoles()
    {
        QFETCH(QString, key);
        QFETCH(QList<int>, roles);
        DataProviderList list;
        list.appendItem(module(5, 0, 0));
        model->setList(&list);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        emit list.dataUpdated(0, {QStringLiteral("address"), key});
        QCOMPARE(changedRoles(changed), QList<QList<int>>{roles});
    }

    void activeStatusFlashesBackToIdle()
    {
        DataProviderList list;
        list.appendItem(module(1, 0, 0));
        list.appendItem(module(2, 0, 0));
        model->setList(&list);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        list.updateItem(update(1, "status", 2)); // fault
        list.updateItem(update(2, "status", 1)); // good read
        QCOMPARE(statusOf(1), 1);
        QTRY_COMPARE(statusOf(1), 0);
        QCOMPARE(statusOf(0), 2); // a fault stays
        const int status = roleOf("status");
        QCOMPARE(changedRoles(changed).mid(2, 1), QList<QList<int>>{{status}});
        QCOMPARE(changed.at(2).at(0).value<QModelIndex>().row(), 1);
    }

    void faultDuringFlashStays()
    {
        DataProviderList list;
        list.appendItem(module(1, 0, 0));
        list.appendItem(module(2, 0, 0));
        model->setList(&list);
        list.updateItem(update(1, "status", 1));
        list.updateItem(update(1, "status", 2));
        // The second module's flash fires after the first one's.
        list.updateItem(update(2, "status", 1));
        QTRY_COMPARE(statusOf(1), 0);
        QCOMPARE(statusOf(0), 2);
    }

    void flashFollowsItsModuleWhenRowsMove()
    {
        DataProviderList list;
        list.appendItem(module(1, 0, 0));
        list.appendItem(module(2, 0, 1));
        list.appendItem(module(3, 0, 0));
        model->setList(&list);
        list.updateItem(update(1, "status", 1));
        list.removeItem(0); // module 2 now sits in the row module 1 flashed
        list.updateItem(update(3, "status", 1));
        QTRY_COMPARE(statusOf(1), 0);
        QCOMPARE(statusOf(0), 1);
    }

    void panelFollowsTheActiveModule()
    {
        DataProviderList list;
        DataProviderItem sspd = module(7, DataProviderList::DeviceTypeSspdM0, 0);
        sspd.append(QStringLiteral("current"), 1e-6);
        sspd.append(QStringLiteral("cps"), 5.0);
        list.appendItem(sspd);
        model->setList(&list);
        model->setActiveDriver(7);
        DriverDataModel *panel = model->driverModel();
        const int currentRow = int(panelNames(panel).indexOf("current"));
        QCOMPARE(panel->data(panel->index(currentRow), DriverDataModel::ValueRole).toDouble(), 1e-6);

        QSignalSpy changed(panel, &QAbstractItemModel::dataChanged);
        DataProviderItem reading = update(7, "current", 2e-6);
        reading.append(QStringLiteral("cps"), 5.0); // unchanged, so not notified
        list.updateItem(reading);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(changed.at(0).at(0).value<QModelIndex>().row(), currentRow);
        QCOMPARE(changedRoles(changed), QList<QList<int>>{{DriverDataModel::ValueRole}});
        QCOMPARE(panel->data(panel->index(currentRow), DriverDataModel::ValueRole).toDouble(), 2e-6);

        model->setActiveDriver(8); // another module: its updates leave the panel alone
        list.updateItem(update(7, "current", 3e-6));
        QCOMPARE(changed.size(), 1);
    }

    void panelRowsByModuleType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        QTest::newRow("SSPD M0") << 0 << 15 << QStringList{"status_rfkey_to_cmp"}
                                 << QStringList{"currentMonitor", "status_hfmode_on"};
        QTest::newRow("SSPD M1") << 1 << 16 << QStringList{"currentMonitor", "status_hfmode_on"}
                                 << QStringList{"status_rfkey_to_cmp"};
        QTest::newRow("temperature M0")
            << 2 << 7 << QStringList{"temperature", "pressure"} << QStringList{"current"};
        QTest::newRow("temperature M1") << 3 << 0 << QStringList{} << QStringList{};
        QTest::newRow("unknown") << 4 << 0 << QStringList{} << QStringList{};
    }
    void panelRowsByModuleType()
    {
        QFETCH(int, type);
        QFETCH(int, rows);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        DataProviderList list;
        list.appendItem(module(9, DataProviderList::DeviceTypeTempM0, 0));
        list.appendItem(module(10, type, 0));
        model->setList(&list);
        model->setActiveDriver(9); // something shown before
        QSignalSpy reset(model->driverModel(), &QAbstractItemModel::modelReset);
        model->setActiveDriver(10);
        QCOMPARE(reset.size(), 1);
        model->setActiveDriver(99); // no such module: the panel stays
        QCOMPARE(reset.size(), 1);
        const QStringList names = panelNames(model->driverModel());
        QCOMPARE(names.size(), rows);
        for (const QString &name : present)
            QVERIFY2(names.contains(name), qPrintable(name));
        for (const QString &name : absent)
            QVERIFY2(!names.contains(name), qPrintable(name));
    }

    void sspdRowsAsShown()
    {
        DataProviderList list;
        DataProviderItem sspd = module(2, DataProviderList::DeviceTypeSspdM1, 0);
        sspd.append(QStringLiteral("status_shorted"), 1);
        list.appendItem(sspd);
        model->setList(&list);
        model->setActiveDriver(2);
        DriverDataModel *panel = model->driverModel();
        const QStringList names = panelNames(panel);
        QCOMPARE(names.first(), QString("current"));
        QCOMPARE(names.last(), QString("auto_reset_counts"));

        const QModelIndex current = panel->index(0);
        QCOMPARE(panel->data(current, DriverDataModel::DisplayedNameRole).toString().toUtf8(),
                 QByteArray("Current (\xce\xbc"
                            "A)"));
        QCOMPARE(panel->data(current, DriverDataModel::TypeRole).toInt(),
                 int(DriverDataModel::DriverDataTypeDouble));
        QCOMPARE(panel->data(current, DriverDataModel::ScaleRole).toDouble(), 1e6);
        QCOMPARE(panel->data(current, DriverDataModel::RangeRole).toPointF(), QPointF(-100, 100));

        const QModelIndex shorted = panel->index(int(names.indexOf("status_shorted")));
        QCOMPARE(panel->data(shorted, DriverDataModel::ValueRole), QVariant(true));
        QCOMPARE(panel->flags(shorted) & Qt::ItemIsEditable, Qt::ItemIsEditable);
        const QModelIndex voltage = panel->index(int(names.indexOf("voltage")));
        QCOMPARE(panel->flags(voltage) & Qt::ItemIsEditable, Qt::NoItemFlags);
    }

    void dataByRoleName_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("expected");
        QTest::newRow("known") << 1 << QString("address") << QVariant(6);
        QTest::newRow("name no item has") << 0 << QString("cps") << QVariant();
        QTest::newRow("row past the end") << 2 << QString("address") << QVariant();
        QTest::newRow("negative row") << -1 << QString("address") << QVariant();
    }
    void dataByRoleName()
    {
        QFETCH(int, row);
        QFETCH(QString, name);
        QFETCH(QVariant, expected);
        DataProviderList list;
        list.appendItem(module(5, 0, 0));
        list.appendItem(module(6, 0, 0));
        model->setList(&list);
        QCOMPARE(model->data(row, name), expected);
    }

    void selectAllMarksOnlyOperableModulesWithTheKey()
    {
        DataProviderList list;
        DataProviderItem selectable = module(1, 0, 0);
        selectable.append(QStringLiteral("selected"), false);
        list.appendItem(selectable);
        list.appendItem(module(2, 0, 0));
        // The four-channel thermometer has no operate switch to turn on.
        DataProviderItem thermometer = module(6, DataProviderList::DeviceTypeTempM1, 0);
        thermometer.append(QStringLiteral("selected"), false);
        list.appendItem(thermometer);
        model->setList(&list);
        QSignalSpy reset(model, &QAbstractItemModel::modelReset);
        model->selectAll(true);
        QCOMPARE(reset.size(), 1);
        QCOMPARE(list.items().at(0).byName("selected"), QVariant(true));
        QVERIFY(!list.items().at(1).contains("selected"));
        QCOMPARE(list.items().at(2).byName("selected"), QVariant(false));
    }

    void setDataWritesOnlyExistingKeys()
    {
        DataProviderList list;
        DataProviderItem selectable = module(1, 0, 0);
        selectable.append(QStringLiteral("selected"), false);
        list.appendItem(module(2, 0, 0));
        list.appendItem(selectable);
        model->setList(&list);
        const int selected = roleOf("selected");
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QVERIFY(model->setData(model->index(1), true, selected));
        QCOMPARE(list.items().at(1).byName("selected"), QVariant(true));
        QCOMPARE(changedRoles(changed), QList<QList<int>>{{selected}});

        QVERIFY(!model->setData(model->index(0), true, selected)); // module 2 has no such key
        QVERIFY(!list.items().at(0).contains("selected"));
        QVERIFY(!model->setData(model->index(0), 1, selected + 1)); // no such role
        QCOMPARE(changed.size(), 1);
    }

    void servesScriptsAndOutlivesTheEngine()
    {
        DataProviderList list;
        list.appendItem(module(12, DataProviderList::DeviceTypeTempM0, 0));
        model->setList(&list);
        qmlRegisterSingletonType<DataModel>("MyWorker", 1, 0, "DataModel", &DataModel::qmlInstance);
        qmlRegisterUncreatableType<DriverDataModel>("MyWorker", 1, 0, "DriverData", "Access to enums only");
        qmlRegisterType<QObject>("MyWorker", 1, 0, "Probe");
        QPointer<DataModel> guard(model);
        {
            QQmlEngine engine;
            QQmlComponent component(&engine);
            component.setData("import MyWorker 1.0\n"
                              "Probe { property var address: DataModel.data(0, \"address\");"
                              " property int kind: DriverData.DriverDataTypeBool }",
                              QUrl());
            std::unique_ptr<QObject> probe(component.create());
            QVERIFY2(probe, qPrintable(component.errorString()));
            QCOMPARE(probe->property("address"), QVariant(12));
            QCOMPARE(probe->property("kind"), QVariant(int(DriverDataModel::DriverDataTypeBool)));
        }
        QVERIFY(guard); // the engine must not have deleted the singleton
    }
};

QTEST_GUILESS_MAIN(tst_DataModel)
#include "tst_DataModel.moc"
