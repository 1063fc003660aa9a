#include "SspdPhysics.h"

#include <QTest>

namespace {
constexpr double Ic = 20e-6;    ///< A
constexpr double Light = 5e5;   ///< counts/s
constexpr double Window = 0.01; ///< s

SspdPhysics::Switches operating()
{
    SspdPhysics::Switches switches;
    switches.shorted = false;
    switches.amplifierOn = true;
    switches.rfKeyToComparator = true;
    switches.comparatorOn = true;
    switches.counterOn = true;
    return switches;
}

SspdPhysics makeDetector(quint64 seed = 7)
{
    SspdPhysics::Settings settings;
    settings.criticalCurrent = Ic;
    settings.lightLevel = Light;
    settings.darkCountsAtCritical = 2e4;
    settings.seed = seed;
    SspdPhysics detector(settings);
    detector.setSwitches(operating());
    detector.setTimeConst(Window);
    return detector;
}
} // namespace

class tst_SspdPhysics : public QObject
{
    Q_OBJECT
private slots:
    void countRateRisesWithCurrentToPlateau();
    void latchesAboveCriticalCurrentUntilRetrapped();
    void countRateFallsWithTriggerLevel();
    void countsArePoissonPerWindow();
    void sameSeedSameCounts();
    void switchStopsCounting_data();
    void switchStopsCounting();
    void autoResetCountsOneAlarmAndUnlatches();
    void autoResetRepeatsWhileOverdriven();
    void longIdleAdvancesCheaply();
    void warmerBathLowersCriticalCurrent();
    void badInputsAreClamped();
};

void tst_SspdPhysics::countRateRisesWithCurrentToPlateau()
{
    SspdPhysics detector = makeDetector();
    double previous = -1;
    for (double fraction = 0.3; fraction < 0.97; fraction += 0.05) {
        detector.setBiasCurrent(fraction * Ic);
        const double rate = detector.countRate();
        QVERIFY2(rate > previous, qPrintable(QStringLiteral("rate not rising at %1 Ic").arg(fraction)));
        previous = rate;
    }
    detector.setBiasCurrent(0.3 * Ic);
    QVERIFY(detector.countRate() < 0.01 * Light);
    // On the plateau the light dominates; dark counts are small until very near Ic.
    detector.setBiasCurrent(0.9 * Ic);
    QVERIFY(qAbs(detector.countRate() - Light) < 0.1 * Light);
    QVERIFY(detector.voltage() > 0 && detector.voltage() < 2e-3);
}

void tst_SspdPhysics::latchesAboveCriticalCurrentUntilRetrapped()
{
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(0.95 * Ic);
    QVERIFY(!detector.isLatched());
    const double superconductingVoltage = detector.voltage();

    detector.setBiasCurrent(1.05 * Ic);
    QVERIFY(detector.isLatched());
    QVERIFY(detector.voltage() > 10e-3);
    QVERIFY(detector.voltage() > 10 * superconductingVoltage);
    QVERIFY(detector.countRate() < 1.0);

    detector.setBiasCurrent(0.8 * Ic); // below Ic but above the retrapping current: stays latched
    QVERIFY(detector.isLatched());
    QVERIFY(detector.countRate() < 1.0);

    detector.setBiasCurrent(0.1 * Ic);
    QVERIFY(!detector.isLatched());
    detector.setBiasCurrent(0.9 * Ic);
    QVERIFY(!detector.isLatched());
    QVERIFY(detector.countRate() > 0.5 * Light);
}

void tst_SspdPhysics::countRateFallsWithTriggerLevel()
{
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(0.9 * Ic);
    double previous = std::numeric_limits<double>::infinity();
    for (double level = 0.0; level <= 0.8; level += 0.05) {
        detector.setTriggerLevel(level);
        const double rate = detector.countRate();
        QVERIFY2(rate <= previous, qPrintable(QStringLiteral("rate rising at %1 V").arg(level)));
        previous = rate;
    }
    QVERIFY(previous < 0.01 * Light); // far above every pulse
    detector.setTriggerLevel(0.0);
    QVERIFY(detector.countRate() > 10 * Light); // amplifier noise crosses a 0 V level all the time
}

void tst_SspdPhysics::countsArePoissonPerWindow()
{
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(0.9 * Ic);
    const double mean = detector.countRate() * Window;
    constexpr int Windows = 4000;
    double sum = 0;
    double sumOfSquares = 0;
    for (int i = 0; i < Windows; ++i) {
        detector.advance(Window);
        sum += detector.lastWindowCounts();
        sumOfSquares += detector.lastWindowCounts() * detector.lastWindowCounts();
    }
    const double sampleMean = sum / Windows;
    const double variance = sumOfSquares / Windows - sampleMean * sampleMean;
    QVERIFY2(qAbs(sampleMean - mean) < 0.01 * mean, qPrintable(QString::number(sampleMean)));
    QVERIFY2(qAbs(variance - mean) < 0.1 * mean, qPrintable(QString::number(variance)));
}

void tst_SspdPhysics::sameSeedSameCounts()
{
    SspdPhysics first = makeDetector(42);
    SspdPhysics second = makeDetector(42);
    SspdPhysics other = makeDetector(43);
    bool differs = false;
    for (SspdPhysics *detector : {&first, &second, &other})
        detector->setBiasCurrent(0.9 * Ic);
    for (int i = 0; i < 20; ++i) {
        for (SspdPhysics *detector : {&first, &second, &other})
            detector->advance(Window);
        QCOMPARE(first.lastWindowCounts(), second.lastWindowCounts());
        differs = differs || first.lastWindowCounts() != other.lastWindowCounts();
    }
    QVERIFY(differs);
}

void tst_SspdPhysics::switchStopsCounting_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("shorted") << 0;
    QTest::newRow("amplifier off") << 1;
    QTest::newRow("rf key away from comparator") << 2;
    QTest::newRow("comparator off") << 3;
    QTest::newRow("counter off") << 4;
}

void tst_SspdPhysics::switchStopsCounting()
{
    QFETCH(int, which);
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(0.9 * Ic);
    detector.advance(2 * Window);
    QVERIFY(detector.lastWindowCounts() > 0);

    SspdPhysics::Switches switches = operating();
    bool *const flags[] = {&switches.shorted, &switches.amplifierOn, &switches.rfKeyToComparator,
                           &switches.comparatorOn, &switches.counterOn};
    *flags[which] = !*flags[which];
    detector.setSwitches(switches);
    detector.advance(2 * Window);
    QCOMPARE(detector.lastWindowCounts(), 0.0);
}

void tst_SspdPhysics::autoResetCountsOneAlarmAndUnlatches()
{
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(1.1 * Ic);
    detector.setBiasCurrent(0.9 * Ic); // latched, below Ic: a reset brings it back
    QVERIFY(detector.isLatched());
    SspdPhysics::Switches switches = operating();
    switches.autoResetOn = true;
    detector.setSwitches(switches);
    detector.setAutoResetThreshold(0.02);
    detector.setAutoResetTimeOut(0.5);

    detector.advance(0.4);
    QVERIFY(detector.isLatched());
    QCOMPARE(detector.autoResetCount(), 0u);
    detector.advance(0.2);
    QVERIFY(!detector.isLatched());
    QCOMPARE(detector.autoResetCount(), 1u);
    detector.advance(10.0);
    QCOMPARE(detector.autoResetCount(), 1u);
    QVERIFY(detector.lastWindowCounts() > 0);
}

void tst_SspdPhysics::autoResetRepeatsWhileOverdriven()
{
    SspdPhysics detector = makeDetector();
    SspdPhysics::Switches switches = operating();
    switches.autoResetOn = true;
    detector.setSwitches(switches);
    detector.setAutoResetThreshold(0.02);
    detector.setAutoResetTimeOut(0.1);
    detector.setBiasCurrent(1.2 * Ic); // every reset latches again at once
    detector.advance(1.05);
    QCOMPARE(detector.autoResetCount(), 10u);
    QVERIFY(detector.isLatched());
}

void tst_SspdPhysics::longIdleAdvancesCheaply()
{
    // An hour of 1 ms windows and 1 ms resets must not be stepped through one by one.
    SspdPhysics detector = makeDetector();
    SspdPhysics::Switches switches = operating();
    switches.autoResetOn = true;
    detector.setSwitches(switches);
    detector.setTimeConst(SspdPhysics::MinTimeConst);
    detector.setAutoResetTimeOut(SspdPhysics::MinAutoResetTimeOut);
    detector.setBiasCurrent(1.2 * Ic);
    detector.advance(3600.0);
    QVERIFY(qAbs(double(detector.autoResetCount()) - 3.6e6) <= 2);
}

void tst_SspdPhysics::warmerBathLowersCriticalCurrent()
{
    SspdPhysics detector = makeDetector();
    QCOMPARE(detector.criticalCurrent(), Ic);
    detector.setBiasCurrent(0.9 * Ic);
    detector.setBathTemperature(5.0);
    QVERIFY(detector.criticalCurrent() < 0.9 * Ic);
    QVERIFY(detector.isLatched());
    detector.setBathTemperature(SspdPhysics::CriticalTemperature + 1);
    QCOMPARE(detector.criticalCurrent(), 0.0);
}

void tst_SspdPhysics::badInputsAreClamped()
{
    SspdPhysics detector = makeDetector();
    detector.setBiasCurrent(0.5 * Ic);
    detector.setBiasCurrent(std::nan(""));
    QCOMPARE(detector.biasCurrent(), 0.5 * Ic);
    detector.setBiasCurrent(1.0); // 1 A: far beyond the bias source
    QCOMPARE(detector.biasCurrent(), SspdPhysics::MaxBiasCurrent);
    detector.setTimeConst(0.0);
    QCOMPARE(detector.timeConst(), SspdPhysics::MinTimeConst);
    detector.setTimeConst(-std::numeric_limits<double>::infinity());
    QCOMPARE(detector.timeConst(), SspdPhysics::MinTimeConst);
    detector.advance(std::numeric_limits<double>::infinity());
    detector.advance(std::nan(""));
    detector.advance(-1.0);
}

QTEST_GUILESS_MAIN(tst_SspdPhysics)
#include "tst_SspdPhysics.moc"
