#include "ProgramScreens.h"
#include "Settings.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QtTest>

/// The screens name the facade's enums as `Worker.<name>`; an unknown name reads as undefined,
/// which a mode switch would take as 0 (all channels). Each name must reach QML as its number.
class tst_ScreenTypes : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { ProgramScreens::prepare(WorkerAsync::instance()); }
    void cleanupTestCase() { WorkerAsync::destroyInstance(); }

    void facadeEnumsReachTheScreens()
    {
        QQmlEngine engine;
        QQmlComponent component(&engine);
        component.setData("import QtQml\nimport MyWorker 1.0\nQtObject {\n"
                          "property var mode: Worker.WorkerModeNoAction\n"
                          "property var histogram: Worker.WorkerModeHistogram\n"
                          "property var command: Worker.CommandRemoveUnit\n"
                          "property var producer: Worker.ProducerPinecove\n"
                          "property var axis: Worker.CpsVsTimeWindowed\n"
                          "property var settingsAxis: Worker.settings.mode\n"
                          "property var producerNow: Worker.producerType\n}",
                          QUrl());
        std::unique_ptr<QObject> object(component.create());
        QVERIFY2(object, qPrintable(component.errorString()));
        QCOMPARE(object->property("mode").toInt(), int(WorkerAsync::WorkerModeNoAction));
        QCOMPARE(object->property("histogram").toInt(), int(WorkerAsync::WorkerModeHistogram));
        QCOMPARE(object->property("command").toInt(), int(WorkerAsync::CommandRemoveUnit));
        QCOMPARE(object->property("producer").toInt(), int(WorkerAsync::ProducerPinecove));
        QCOMPARE(object->property("axis").toInt(), int(WorkerAsync::CpsVsTimeWindowed));
        QCOMPARE(object->property("settingsAxis").toInt(), int(WorkerAsync::instance()->settings()->mode()));
        QCOMPARE(object->property("producerNow").toInt(), int(WorkerAsync::instance()->producerType()));
    }
};

QTEST_MAIN(tst_ScreenTypes)
#include "tst_ScreenTypes.moc"
