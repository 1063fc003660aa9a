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

    void initialState()
    {
        Settings settings;
        QCOMPARE(settings.timeConstant(), 1.0);
        QCOMPARE(settings.mode(), WorkerAsync::CpsVsTimeWindowed);
        QVERIFY(settings.autoscale());
        QCOMPARE(settings.timeWindowSize(), 30.0);
        QVERIFY(settings.series().isEmpty());
        QCOMPARE(settings.activeChannel(), 0);
        QVERIFY(settings.SweepParameterModel());
        QCOMPARE(settings.SweepParameterModel()->parent(), &settings);
        // A fresh range suits a logarithmic axis on both sides.
        MyChartRect *rect = settings.chartRect();
        QVERIFY(rect);
        QCOMPARE(rect->parent(), &settings);
        QCOMPARE(rect->left(), 1e-9);
        QCOMPARE(rect->bottom(), 1e-9);
        QCOMPARE(rect->right(), 100.0);
        QCOMPARE(rect->top(), 100.0);
    }

    void doublesNotifyBeyondTheTolerance_data()
    {
        QTest::addColumn<bool>("onRange"); // else on the settings
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("notifies");
        QTest::newRow("time constant within")
            << false << QByteArray("timeConstant") << 1.0 << 1.0000000000001 << false;
        QTest::newRow("time constant changed") << false << QByteArray("timeConstant") << 1.0 << 1.5 << true;
        QTest::newRow("window within")
            << false << QByteArray("timeWindowSize") << 30.0 << 30.000000000003 << false;
        QTest::newRow("window just beyond")
            << false << QByteArray("timeWindowSize") << 30.0 << 30.0000000001 << true;
        QTest::newRow("top within") << true << QByteArray("top") << 100.0 << 100.00000000001 << false;
        QTest::newRow("bottom from zero") << true << QByteArray("bottom") << 0.0 << 1e-300 << true;
        QTest::newRow("left in ms within") << true << QByteArray("left") << 1.7e12 << 1.7e12 + 1.0 << false;
        QTest::newRow("right in ms changed")
            << true << QByteArray("right") << 1.7e12 << 1.7e12 + 10.0 << true;
        QTest::newRow("sign change") << true << QByteArray("right") << 1e-9 << -1e-9 << true;
        QTest::newRow("NaN refused") << true << QByteArray("top") << 1.0 << std::nan("") << false;
        QTest::newRow("infinity refused")
            << true << QByteArray("left") << 1.0 << std::numeric_limits<double>::infinity() << false;
    }
    void doublesNotifyBeyondTheTolerance()
    {
        QFETCH(bool, onRange);
        QFETCH(QByteArray, property);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(bool, notifies);
        Settings settings;
        QObject *object = onRange ? static_cast<QObject *>(settings.chartRect()) : &settings;
        QVERIFY(object->setProperty(property, from));
        const auto spy = notifySpy(object, property);
        QVERIFY(object->setProperty(property, to));
        QCOMPARE(spy->size(), notifies ? 1 : 0);
        QCOMPARE(object->property(property).toDouble(), notifies ? to : from);
    }

    void optionsNotifyOnlyOnChange()
    {
        Settings settings;
        QSignalSpy mode(&settings, &Settings::modeChanged);
        QSignalSpy autoscale(&settings, &Settings::autoscaleChanged);
        settings.setMode(WorkerAsync::CpsVsTimeWindowed);
        settings.setAutoscale(true);
        QCOMPARE(mode.size(), 0);
        QCOMPARE(autoscale.size(), 0);
        settings.setMode(WorkerAsync::CpsVsTimeFreeRunning);
        settings.setAutoscale(false);
        QCOMPARE(mode.size(), 1);
        QCOMPARE(autoscale.size(), 1);
        QCOMPARE(settings.mode(), WorkerAsync::CpsVsTimeFreeRunning);
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

    void seriesFromScript()
    {
        Settings settings;
        QLineSeries line;
        line.setName(QStringLiteral("SSPD 3"));
        QVERIFY(settings.setProperty("series", QVariant::fromValue(QList<QAbstractSeries *>{&line})));
        QCOMPARE(settings.series().value(0)->name(), QString("SSPD 3"));
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

    void sweepParametersShownWithoutTakingThem()
    {
        Settings settings;
        QList<ParameterItem> sweep{ParameterItem("from", "From", 0.0, "Sweep",
                                                 DriverDataModel::DriverDataTypeDouble, true, 1.0, 1,
                                                 QPointF(0, 100))};
        settings.initializeSweepParameterModel(&sweep);
        settings.initializeSweepParameterModel(nullptr); // keeps the last list
        QCOMPARE(settings.SweepParameterModel()->Items(), &sweep);
        QCOMPARE(settings.SweepParameterModel()->rowCount(), 1);
    }
};

// Chart series need the widgets application object, which QTEST_MAIN makes when widgets are linked.
QTEST_MAIN(tst_Settings)
#include "tst_Settings.moc"
