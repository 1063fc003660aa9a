#include "DataModel.h"
#include "DataProviderList.h"
#include "MyChartRect.h"
#include "Settings.h"

#include <QApplication>
#include <QDateTime>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <cmath>
#include <limits>
#include <memory>

namespace {

/// Spy on the notify signal of `object`'s property `name`.
std::unique_ptr<QSignalSpy> notifySpy(QObject *object, const char *name)
{
    const QMetaObject *meta = object->metaObject();
    const QMetaProperty property = meta->property(meta->indexOfProperty(name));
    return std::make_unique<QSignalSpy>(object, property.notifySignal());
}

} // namespace

class tst_Settings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(qobject_cast<QApplication *>(QCoreApplication::instance())); }

    void newRangeSuitsALogAxis()
    {
        Settings settings;
        const MyChartRect *rect = settings.chartRect();
        QVERIFY(rect);
        QCOMPARE(QList<double>({rect->left(), rect->right(), rect->bottom(), rect->top()}),
                 QList<double>({1e-9, 100, 1e-9, 100}));
    }

    void settersNotifyOnlyOnChange_data()
    {
        QTest::addColumn<bool>("onRange"); // else on the settings
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("from");
        QTest::addColumn<QVariant>("to");
        QTest::addColumn<bool>("notifies");
        const auto row = [](const char *tag, bool onRange, const char *property, const QVariant &from,
                            const QVariant &to, bool notifies) {
            QTest::newRow(tag) << onRange << QByteArray(property) << from << to << notifies;
        };
        const QVariant windowed = QVariant::fromValue(WorkerTypes::CpsVsTimeWindowed);
        const QVariant freeRunning = QVariant::fromValue(WorkerTypes::CpsVsTimeFreeRunning);
        row("time constant within", false, "timeConstant", 1.0, 1.0000000000001, false);
        row("time constant changed", false, "timeConstant", 1.0, 1.5, true);
        row("window within", false, "timeWindowSize", 30.0, 30.000000000003, false);
        row("window just beyond", false, "timeWindowSize", 30.0, 30.0000000001, true);
        row("autoscale same", false, "autoscale", true, true, false);
        row("autoscale changed", false, "autoscale", true, false, true);
        row("time axis same", false, "mode", windowed, windowed, false);
        row("time axis changed", false, "mode", windowed, freeRunning, true);
        row("top within", true, "top", 100.0, 100.00000000001, false);
        row("bottom from zero", true, "bottom", 0.0, 1e-300, true);
        row("left in ms within", true, "left", 1.7e12, 1.7e12 + 1.0, false);
        row("right in ms changed", true, "right", 1.7e12, 1.7e12 + 10.0, true);
        row("sign change", true, "right", 1e-9, -1e-9, true);
        row("NaN refused", true, "top", 1.0, std::nan(""), false);
        row("infinity refused", true, "left", 1.0, std::numeric_limits<double>::infinity(), false);
    }
    void settersNotifyOnlyOnChange()
    {
        QFETCH(bool, onRange);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, from);
        QFETCH(QVariant, to);
        QFETCH(bool, notifies);
        Settings settings;
        QObject *object = onRange ? static_cast<QObject *>(settings.chartRect()) : &settings;
        QVERIFY(object->setProperty(property, from));
        const auto spy = notifySpy(object, property);
        QVERIFY(object->setProperty(property, to));
        QCOMPARE(spy->size(), notifies ? 1 : 0);
        QCOMPARE(object->property(property), notifies ? to : from);
    }

    void chartRectNotifiesOnlyForAnotherRange()
    {
        Settings settings;
        MyChartRect mine;
        QSignalSpy changed(&settings, &Settings::chartRectChanged);
        settings.setChartRect(settings.chartRect());
        settings.setChartRect(nullptr); // axes bound to the range would lose it
        QCOMPARE(changed.size(), 0);
        settings.setChartRect(&mine);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(settings.chartRect(), &mine);
    }

    void rangeTakesTimesAndCopiesQuietly()
    {
        MyChartRect rect;
        const QDateTime start = QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC);
        rect.setLeft(start);
        rect.setRight(start.addSecs(20));
        rect.setRight(QDateTime()); // invalid: ignored
        QCOMPARE(rect.left(), 1700000000123.0);
        QCOMPARE(rect.right(), 1700000020123.0);

        MyChartRect copy;
        QSignalSpy left(&copy, &MyChartRect::leftChanged);
        copy.assign(rect);
        QCOMPARE(left.size(), 0);
        QCOMPARE(copy.left(), rect.left());
        QCOMPARE(copy.right(), rect.right());
        QCOMPARE(copy.top(), 100.0);
    }

    void seriesNotifyForAnotherListAndForgetDeletedOnes()
    {
        Settings settings;
        auto *line = new QLineSeries;
        QScatterSeries scatter;
        QSignalSpy changed(&settings, &Settings::seriesChanged);
        settings.setSeries({line, &scatter});
        settings.setSeries({line, &scatter});
        QCOMPARE(changed.size(), 1);
        settings.setSeries({&scatter, line}); // order matters
        QCOMPARE(changed.size(), 2);
        QCOMPARE(settings.series(), (QList<QAbstractSeries *>{&scatter, line}));

        delete line; // a screen dropped its series
        QCOMPARE(settings.series(), QList<QAbstractSeries *>{&scatter});
        settings.setSeries({&scatter});
        QCOMPARE(changed.size(), 3);
        settings.setSeries({});
        QVERIFY(settings.series().isEmpty());
    }

    void activeChannelAlwaysNotifiesAndSelectsThePanel()
    {
        DataProviderList list;
        DataProviderItem sspd;
        sspd.append(QStringLiteral("address"), 4);
        sspd.append(QStringLiteral("type"), int(DataProviderList::DeviceTypeSspdM0));
        list.appendItem(sspd);
        DataModel::instance()->setList(&list);
        Settings settings;
        QSignalSpy changed(&settings, &Settings::activeChannelChanged);
        QSignalSpy panel(DataModel::instance()->driverModel(), &QAbstractItemModel::modelReset);
        settings.setActiveChannel(4);
        settings.setActiveChannel(4);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(panel.size(), 2);
        QCOMPARE(settings.activeChannel(), 4);
        QCOMPARE(DataModel::instance()->driverModel()->rowCount(), 15);
    }
};

// Chart series need the widgets application object, which QTEST_MAIN makes when widgets are linked.
QTEST_MAIN(tst_Settings)
#include "tst_Settings.moc"
