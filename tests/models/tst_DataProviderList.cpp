#include "DataProviderList.h"

#include <QSignalSpy>
#include <QTest>

namespace {

DataProviderItem itemOf(const QVariantMap &values)
{
    DataProviderItem item;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        item.append(it.key(), it.value());
    return item;
}

/// Records every signal of a list as one line per emission, so whole sequences can be compared.
class SignalLog : public QObject
{
public:
    explicit SignalLog(DataProviderList *list)
    {
        connect(list, &DataProviderList::preItemAppended, this, [this] { lines << "preItemAppended"; });
        connect(list, &DataProviderList::postItemAppended, this, [this] { lines << "postItemAppended"; });
        connect(list, &DataProviderList::preItemRemoved, this,
                [this](int index) { lines << QStringLiteral("preItemRemoved %1").arg(index); });
        connect(list, &DataProviderList::postItemRemoved, this, [this] { lines << "postItemRemoved"; });
        connect(list, &DataProviderList::dataUpdated, this, [this](int index, const QList<QString> &keys) {
            lines << QStringLiteral("dataUpdated %1 %2").arg(index).arg(keys.join(','));
        });
        connect(list, &DataProviderList::updated, this, [this] { lines << "updated"; });
    }
    QStringList lines;
};

} // namespace

// The numbers cross into QML, the worker and the parameter bridge as plain ints.
static_assert(DataProviderList::DeviceTypeSspdM0 == 0 && DataProviderList::DeviceTypeSspdM1 == 1 &&
              DataProviderList::DeviceTypeTempM0 == 2 && DataProviderList::DeviceTypeTempM1 == 3 &&
              DataProviderList::DeviceTypeUnknown == 4);
static_assert(DataProviderList::DeviceStatusIdle == 0 && DataProviderList::DeviceStatusActive == 1 &&
              DataProviderList::DeviceStatusFault == 2);

class tst_DataProviderList : public QObject
{
    Q_OBJECT
private slots:
    void itemKeysSortedAndNeverAddedBySetValue();
    void appendAndRemoveSignalSequences();
    void removeItemOutsideTheListDoesNothing_data();
    void removeItemOutsideTheListDoesNothing();
    void setItemAtBounds_data();
    void setItemAtBounds();
    void updateItem_data();
    void updateItem();
    void updateItemWritesOnlyTheFirstOfTwoSameAddresses();
};

void tst_DataProviderList::itemKeysSortedAndNeverAddedBySetValue()
{
    DataProviderItem item;
    item.append("status", 0);
    item.append("address", 3);
    item.append("UDID", "A");
    item.append("cps", 1.5);
    item.append("address", 4); // overwrites, no second key
    // QString order compares UTF-16 code units: capitals before lower case.
    QCOMPARE(item.keys(), (QList<QString>{"UDID", "address", "cps", "status"}));
    QCOMPARE(item.byName("address"), QVariant(4));

    QVERIFY(!item.setValue("counts", 5)); // never adds a key
    QVERIFY(!item.byName("counts").isValid());
    QCOMPARE(item.keys().size(), 4);
    QVERIFY(item.setValue("cps", 7));
    QCOMPARE(item.byName("cps"), QVariant(7));

    item.clear();
    QVERIFY(item.keys().isEmpty());
    QVERIFY(!item.contains("address"));
}

void tst_DataProviderList::appendAndRemoveSignalSequences()
{
    DataProviderList list;
    SignalLog log(&list);

    list.removeAll(); // empty: nothing
    QVERIFY(log.lines.isEmpty());

    list.appendItem();
    list.appendItem(itemOf({{"address", 1}}));
    list.appendItem(itemOf({{"address", 2}}));
    QCOMPARE(log.lines, QStringList({"preItemAppended", "postItemAppended", "preItemAppended",
                                     "postItemAppended", "preItemAppended", "postItemAppended"}));
    QCOMPARE(list.items().size(), 3);
    QVERIFY(list.items().first().keys().isEmpty());
    QCOMPARE(list.items().last().byName("address"), QVariant(2));

    log.lines.clear();
    list.removeItem(1);
    QCOMPARE(log.lines, QStringList({"preItemRemoved 1", "postItemRemoved"}));
    QCOMPARE(list.items().at(1).byName("address"), QVariant(2));

    list.appendItem();
    log.lines.clear();
    list.removeAll();
    QCOMPARE(log.lines, QStringList({"preItemRemoved 0", "postItemRemoved", "preItemRemoved 0",
                                     "postItemRemoved", "preItemRemoved 0", "postItemRemoved"}));
    QVERIFY(list.items().isEmpty());
}

void tst_DataProviderList::removeItemOutsideTheListDoesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("negative") << -1;
    QTest::newRow("count") << 2;
    QTest::newRow("far") << 1000;
}

void tst_DataProviderList::removeItemOutsideTheListDoesNothing()
{
    QFETCH(int, index);
    DataProviderList list;
    list.appendItem(itemOf({{"address", 1}}));
    list.appendItem(itemOf({{"address", 2}}));
    SignalLog log(&list);
    list.removeItem(index);
    QVERIFY(log.lines.isEmpty());
    QCOMPARE(list.items().size(), 2);
}

void tst_DataProviderList::setItemAtBounds_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("first") << 0 << true;
    QTest::newRow("last") << 1 << true;
    QTest::newRow("count") << 2 << false;
    QTest::newRow("negative") << -1 << false;
}

void tst_DataProviderList::setItemAtBounds()
{
    QFETCH(int, index);
    QFETCH(bool, accepted);
    DataProviderList list;
    list.appendItem(itemOf({{"address", 1}}));
    list.appendItem(itemOf({{"address", 2}}));
    SignalLog log(&list);

    QCOMPARE(list.setItemAt(index, itemOf({{"address", 9}})), accepted);
    QVERIFY(log.lines.isEmpty()); // the caller reports the change itself
    QCOMPARE(list.items().size(), 2);
    QList<QVariant> addresses;
    for (const DataProviderItem &item : list.items())
        addresses << item.byName("address");
    QList<QVariant> expected{1, 2};
    if (accepted)
        expected[index] = 9;
    QCOMPARE(addresses, expected);
}

void tst_DataProviderList::updateItem_data()
{
    QTest::addColumn<QVariantMap>("update");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::addColumn<QVariantMap>("expectedSecond"); // the stored item at address 5 afterwards

    const QVariantMap unchanged{{"address", 5}, {"cps", 0}, {"status", 0}};
    QTest::newRow("unknown key is not added") << QVariantMap{{"address", 5}, {"cps", 120.5}, {"voltage", 0.3}}
                                              << QStringList{"dataUpdated 1 address,cps"}
                                              << QVariantMap{{"address", 5}, {"cps", 120.5}, {"status", 0}};
    QTest::newRow("all keys known") << QVariantMap{{"address", 5}, {"cps", 3}, {"status", 1}}
                                    << QStringList{"dataUpdated 1 address,cps,status"}
                                    << QVariantMap{{"address", 5}, {"cps", 3}, {"status", 1}};
    QTest::newRow("address only") << QVariantMap{{"address", 5}} << QStringList{"dataUpdated 1 address"}
                                  << unchanged;
    QTest::newRow("no address") << QVariantMap{{"cps", 3}} << QStringList{} << unchanged;
    QTest::newRow("unknown address") << QVariantMap{{"address", 6}, {"cps", 3}} << QStringList{} << unchanged;
    QTest::newRow("invalid address") << QVariantMap{{"address", QVariant()}, {"cps", 3}} << QStringList{}
                                     << unchanged;
    QTest::newRow("address as other text")
        << QVariantMap{{"address", "five"}, {"cps", 3}} << QStringList{} << unchanged;
    // Matching uses QVariant equality, which converts numeric text.
    QTest::newRow("address as numeric text")
        << QVariantMap{{"address", "5"}, {"cps", 3}} << QStringList{"dataUpdated 1 address,cps"}
        << QVariantMap{{"address", 5}, {"cps", 3}, {"status", 0}};
    QTest::newRow("address as list") << QVariantMap{{"address", QVariantList{5}}, {"cps", 3}} << QStringList{}
                                     << unchanged;
    QTest::newRow("value of another type is stored as given")
        << QVariantMap{{"address", 5}, {"cps", "fast"}} << QStringList{"dataUpdated 1 address,cps"}
        << QVariantMap{{"address", 5}, {"cps", "fast"}, {"status", 0}};
}

void tst_DataProviderList::updateItem()
{
    QFETCH(QVariantMap, update);
    QFETCH(QStringList, expectedLog);
    QFETCH(QVariantMap, expectedSecond);

    DataProviderList list;
    list.appendItem(itemOf({{"cps", 0}})); // no address: never matched
    list.appendItem(itemOf({{"address", 5}, {"cps", 0}, {"status", 0}}));
    list.appendItem(itemOf({{"address", 7}, {"cps", 0}}));
    SignalLog log(&list);

    list.updateItem(itemOf(update));

    QCOMPARE(log.lines, expectedLog);
    const QList<DataProviderItem> items = list.items();
    QCOMPARE(items.size(), 3);
    QCOMPARE(items.at(0).keys(), QList<QString>{"cps"});
    QCOMPARE(items.at(0).byName("cps"), QVariant(0));
    QCOMPARE(items.at(1).keys(), expectedSecond.keys());
    for (const QString &key : expectedSecond.keys())
        QCOMPARE(items.at(1).byName(key), expectedSecond.value(key));
    QCOMPARE(items.at(2).byName("cps"), QVariant(0));
}

void tst_DataProviderList::updateItemWritesOnlyTheFirstOfTwoSameAddresses()
{
    DataProviderList list;
    list.appendItem(itemOf({{"address", 3}, {"cps", 0}}));
    list.appendItem(itemOf({{"address", 3}, {"cps", 0}}));
    QSignalSpy updates(&list, &DataProviderList::dataUpdated);

    list.updateItem(itemOf({{"address", 3}, {"cps", 42}}));

    QCOMPARE(updates.size(), 1);
    QCOMPARE(updates.first().at(0).toInt(), 0);
    QCOMPARE(list.items().at(0).byName("cps"), QVariant(42));
    QCOMPARE(list.items().at(1).byName("cps"), QVariant(0));
}

QTEST_GUILESS_MAIN(tst_DataProviderList)
#include "tst_DataProviderList.moc"
