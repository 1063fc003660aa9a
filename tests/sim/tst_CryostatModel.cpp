#include "CryostatModel.h"

#include <QTest>

namespace {
constexpr double Minute = 60.0; ///< s
}

class tst_CryostatModel : public QObject
{
    Q_OBJECT
private slots:
    void idleStageStaysBetweenTwoAndFourKelvin();
    void heaterWarmsAndStageCoolsBack();
    void stepLengthDoesNotMatter_data();
    void stepLengthDoesNotMatter();
    void earlierTimeChangesNothing();
    void thermometerNoiseIsBounded();
    void pressureFollowsTemperature();
    void sorptionRecycleCoolsBelowBathForTheHoldTime();
};

void tst_CryostatModel::idleStageStaysBetweenTwoAndFourKelvin()
{
    CryostatModel cryostat;
    for (double t = 0; t <= 60 * Minute; t += 7.3) {
        cryostat.advanceTo(t);
        const double reading = cryostat.readTemperature();
        QVERIFY2(reading > 2.0 && reading < 4.0, qPrintable(QString::number(reading)));
    }
}

void tst_CryostatModel::heaterWarmsAndStageCoolsBack()
{
    CryostatModel cryostat;
    const double base = cryostat.stageTemperature();
    cryostat.setHeaterOn(true);
    double previous = base;
    for (double t = 5; t <= 2 * Minute; t += 5) {
        cryostat.advanceTo(t);
        QVERIFY(cryostat.stageTemperature() > previous);
        previous = cryostat.stageTemperature();
    }
    const double warmed = previous;
    QVERIFY(warmed > base + 2.0);
    QVERIFY(warmed < base + cryostat.settings().heaterRise);

    cryostat.setHeaterOn(false);
    cryostat.advanceTo(2 * Minute + 30);
    QVERIFY(cryostat.stageTemperature() < warmed);
    QVERIFY(cryostat.stageTemperature() > base + 1.0); // still warm half a minute later
    cryostat.advanceTo(10 * Minute);
    QVERIFY(qAbs(cryostat.stageTemperature() - base) < 0.01); // back within minutes
}

void tst_CryostatModel::stepLengthDoesNotMatter_data()
{
    QTest::addColumn<bool>("heaterOn");
    QTest::newRow("heating") << true;
    QTest::newRow("cooling") << false;
}

void tst_CryostatModel::stepLengthDoesNotMatter()
{
    QFETCH(bool, heaterOn);
    // Both start warm-ish so that cooling moves too.
    CryostatModel oneStep;
    CryostatModel manySteps;
    for (CryostatModel *model : {&oneStep, &manySteps}) {
        model->setHeaterOn(true);
        model->advanceTo(Minute);
        model->setHeaterOn(heaterOn);
    }
    oneStep.advanceTo(3 * Minute);
    for (double t = Minute + 0.25; t <= 3 * Minute; t += 0.25)
        manySteps.advanceTo(t);
    manySteps.advanceTo(3 * Minute);
    QVERIFY(qAbs(oneStep.stageTemperature() - manySteps.stageTemperature()) < 1e-9);
}

void tst_CryostatModel::earlierTimeChangesNothing()
{
    CryostatModel cryostat;
    cryostat.setHeaterOn(true);
    cryostat.advanceTo(Minute);
    const double at = cryostat.stageTemperature();
    cryostat.advanceTo(Minute / 2); // another module's older moment
    cryostat.advanceTo(qQNaN());
    QCOMPARE(cryostat.stageTemperature(), at);
}

void tst_CryostatModel::thermometerNoiseIsBounded()
{
    CryostatModel cryostat;
    const double noise = cryostat.settings().noise;
    double lowest = 1e9;
    double highest = -1e9;
    for (int i = 0; i < 10000; ++i) {
        const double deviation = cryostat.readTemperature() - cryostat.stageTemperature();
        lowest = qMin(lowest, deviation);
        highest = qMax(highest, deviation);
    }
    QVERIFY(lowest >= -noise && highest <= noise);
    QVERIFY(highest - lowest > noise); // it is noise, not a constant offset
}

void tst_CryostatModel::pressureFollowsTemperature()
{
    CryostatModel cryostat;
    QCOMPARE(cryostat.pressure(), CryostatModel::PressureAtBase);
    cryostat.setHeaterOn(true);
    cryostat.advanceTo(10 * Minute);
    QVERIFY(qFuzzyCompare(cryostat.pressure() / CryostatModel::PressureAtBase,
                          cryostat.stageTemperature() / cryostat.settings().baseTemperature));
}

void tst_CryostatModel::sorptionRecycleCoolsBelowBathForTheHoldTime()
{
    CryostatModel cryostat;
    const double bath = cryostat.settings().baseTemperature;
    cryostat.setHeatSwitchClosed(true);
    cryostat.advanceTo(5 * Minute);
    QCOMPARE(cryostat.stageTemperature(), bath); // nothing condensed yet: no pumping

    cryostat.setHeatSwitchClosed(false);
    cryostat.setHeaterOn(true); // heat the pump: it gives off its gas, the stage warms
    cryostat.advanceTo(7 * Minute);
    QVERIFY(cryostat.pumpTemperature() > cryostat.settings().desorptionTemperature);
    QVERIFY(cryostat.stageTemperature() > bath + 2.0);
    QVERIFY(cryostat.charge() > 0.5);

    cryostat.setHeaterOn(false);
    cryostat.setHeatSwitchClosed(true); // the pump cools and pumps on the condensed liquid
    cryostat.advanceTo(12 * Minute);
    QVERIFY(cryostat.pumpTemperature() < cryostat.settings().pumpingTemperature);
    QVERIFY2(cryostat.stageTemperature() < 0.5, qPrintable(QString::number(cryostat.stageTemperature())));

    // The charge lasts at most the hold time; then the stage warms back to the bath.
    cryostat.advanceTo(12 * Minute + cryostat.settings().holdTime + 5 * Minute);
    QCOMPARE(cryostat.charge(), 0.0);
    QVERIFY(qAbs(cryostat.stageTemperature() - bath) < 0.01);
}

QTEST_GUILESS_MAIN(tst_CryostatModel)
#include "tst_CryostatModel.moc"
