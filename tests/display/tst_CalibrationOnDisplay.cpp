#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QTest>

#include <cstring>
#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;
constexpr int ShowMs = 10000;
constexpr int DisplayStartAttempts = 3;
constexpr int SettleProbeMs = 250;         ///< a fade reaches the screen within this
constexpr int Module = 3;                  ///< SSPD M1 of the built-in crate
constexpr int EepromSetter = 42;           ///< its calibration record setter
constexpr int VoltageInterceptOffset = 12; ///< "Voltage_ADC" second in the record

QString floatBytes(float value)
{
    QByteArray bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace

/// The calibration editor as a user reaches it on a real display: the device manager, a
/// module's constants behind the factory password, one value changed and sent to the module.
class tst_CalibrationOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void editAndSendAConstant();

private:
    std::unique_ptr<XvfbDisplay> m_display;
};

void tst_CalibrationOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    // Several test displays start at once on this machine; a display number taken by another
    // server between its choice and our window manager's start is tried again.
    for (int attempt = 0; attempt < DisplayStartAttempts; ++attempt) {
        m_display =
            std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_CalibrationOnDisplay"));
        if (m_display->start())
            return;
    }
    QFAIL(qPrintable(m_display->error()));
}

void tst_CalibrationOnDisplay::editAndSendAConstant()
{
    SimulatorProcess simulator({QStringLiteral("--verbose-modules")});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    QVERIFY(program.start(simulator.port()));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));

    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("deviceManagerItem")));
    QVERIFY(program.clickSettled(QStringLiteral("moduleHeader%1").arg(Module)));
    QVERIFY(program.clickSettled(QStringLiteral("constantsButton%1").arg(Module)));
    QVERIFY(!m_display->screenshot(QStringLiteral("device-manager")).isEmpty());

    // Locked until the password is typed: the menu stays disabled.
    const auto password = program.waitFor(QStringLiteral("factoryPassword"), ShowMs);
    QVERIFY(password.found);
    QVERIFY(program.waitFor(QStringLiteral("group_Bias unit (slope, intercept)"), ShowMs).found);
    QVERIFY(!program.find(QStringLiteral("eepromMenuButton")).enabled);
    QVERIFY(program.clickSettled(QStringLiteral("factoryPassword")));
    QVERIFY(m_display->type(QStringLiteral("lumbrix")));
    QVERIFY(program
                .waitFor(QStringLiteral("eepromMenuButton"), ShowMs,
                         [](const auto &item) { return item.enabled; })
                .found);

    // Groups arrive collapsed; opening one shows its rows with two fields per pair.
    QVERIFY(!program.find(QStringLiteral("second_Voltage_ADC")).found);
    QVERIFY(program.clickSettled(QStringLiteral("group_Bias unit (slope, intercept)")));
    const auto intercept = program.waitFor(QStringLiteral("second_Voltage_ADC"), ShowMs);
    QVERIFY(intercept.found);
    QVERIFY(intercept.text != QLatin1String("0.5"));
    QVERIFY(program.clickSettled(QStringLiteral("second_Voltage_ADC")));
    QVERIFY(m_display->keys({QStringLiteral("ctrl+a")}));
    QVERIFY(m_display->type(QStringLiteral("0,5")));
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    QVERIFY(program
                .waitFor(QStringLiteral("second_Voltage_ADC"), ShowMs,
                         [](const auto &item) { return item.text == QLatin1String("0.5"); })
                .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("constants-edited")).isEmpty());

    simulator.clearLines();
    QVERIFY(program.clickSettled(QStringLiteral("eepromMenuButton")));
    QVERIFY(program.clickSettled(QStringLiteral("setDataItem")));
    const QString request = QStringLiteral("module request %1 %2 ").arg(Module).arg(EepromSetter);
    QVERIFY2(simulator.waitForLine(request, ShowMs), "the constants did not reach the module");
    const QString line = simulator.lines().filter(request).first();
    const QStringList bytes = line.mid(line.indexOf(request) + request.size()).split(QLatin1Char(' '));
    QCOMPARE(bytes.mid(VoltageInterceptOffset, 4).join(QLatin1Char(' ')), floatBytes(0.5F));
    QVERIFY(program.waitFor(QStringLiteral("text=Constants sent to the module."), ShowMs).found);
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("setDataItem")).found, ShowMs);
    QTest::qWait(SettleProbeMs); // the menu's fade-out reaches the screen
    QVERIFY(!m_display->screenshot(QStringLiteral("constants-sent")).isEmpty());
    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_CalibrationOnDisplay)
#include "tst_CalibrationOnDisplay.moc"
