#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QFile>
#include <QImage>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;
constexpr int ShowMs = 10000;
constexpr int HoldMs = 2600; ///< longer than a press-and-hold button's 2 s
constexpr int DisplayStartAttempts = 3;
constexpr int SettleProbeMs = 250;          ///< a fade or the switch's knob reaches the screen within this
constexpr int SilentModule = 2;             ///< SSPD M0 of the built-in crate
constexpr int Thermometer = 6;              ///< the four-channel thermometer
constexpr int LeastKnobPixels = 150;        ///< of the knob's colour in a switch shown on
const QRgb KnobOn = qRgb(0xF1, 0x63, 0x21); ///< the style's knob of a checked switch

/// Whether the switch in `rect` of the screenshot at `path` shows its knob on.
bool shownOn(const QString &path, const QRect &rect)
{
    const QImage image(path);
    int knob = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            knob += image.valid(x, y) && image.pixel(x, y) == KnobOn;
    }
    return knob >= LeastKnobPixels;
}
} // namespace

/// The home page and its device manager as a user works them on a real display against the
/// simulator: what the operate switches show, what the bias box refuses, and what the crate-wide
/// commands say.
class tst_HomeOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void switchesAndBiasShowTheModule();
    void deviceManagerSaysWhatItDid();
    void calibrationFileOfAnotherModule();

private:
    void startConnected(ProgramOnDisplay &program, const SimulatorProcess &simulator);

    std::unique_ptr<XvfbDisplay> m_display;
};

void tst_HomeOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    for (int attempt = 0; attempt < DisplayStartAttempts; ++attempt) {
        m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_HomeOnDisplay"));
        if (m_display->start())
            return;
    }
    QFAIL(qPrintable(m_display->error()));
}

void tst_HomeOnDisplay::startConnected(ProgramOnDisplay &program, const SimulatorProcess &simulator)
{
    QVERIFY(program.start(simulator.port()));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));
}

void tst_HomeOnDisplay::switchesAndBiasShowTheModule()
{
    SimulatorProcess simulator({QStringLiteral("--fault-commands"), QStringLiteral("--verbose-modules")});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    startConnected(program, simulator);

    // The four-channel thermometer shows its stage's temperature like the other thermometer.
    QVERIFY(program
                .waitFor(QStringLiteral("temperatureText%1").arg(Thermometer), ShowMs,
                         [](const auto &item) { return item.text.endsWith(QLatin1String(" K")); })
                .found);

    // A module that stops answering: switching it on leaves its switch off, and opens its page.
    QTcpSocket console;
    console.connectToHost(simulator.address(), simulator.port());
    QVERIFY(console.waitForConnected());
    console.write(QByteArrayLiteral("SIM:SILENT %1\r\n").replace("%1", QByteArray::number(SilentModule)));
    const QString rate = QStringLiteral("countRateText%1").arg(SilentModule);
    QVERIFY(program.waitFor(rate, ShowMs, [](const auto &item) { return item.text == QLatin1String("---"); })
                .found);
    const QString switchName = QStringLiteral("operateSwitch%1").arg(SilentModule);
    QVERIFY(program.clickSettled(switchName));
    QVERIFY(program.waitFor(QStringLiteral("text=SSPD Driver#%1").arg(SilentModule), ShowMs).found);
    QVERIFY(program.click(QStringLiteral("text=\u2302  Home")));
    const auto silentSwitch = program.waitFor(switchName, ShowMs);
    QVERIFY(m_display->moveMouse(QPoint(0, 0)));
    QTest::qWait(SettleProbeMs);
    const QString shot = m_display->screenshot(QStringLiteral("silent-module-switch"));
    QVERIFY(!shot.isEmpty());
    QVERIFY2(!shownOn(shot, silentSwitch.rect), "the switch of a silent module shows on");
    // The thermometer reports its sensor switched on, and its switch shows that.
    QVERIFY(shownOn(shot, program.find(QStringLiteral("operateSwitch5")).rect));

    // Stray characters are refused as typed, not applied as what is left of them.
    simulator.clearLines();
    QVERIFY(program.retype(QStringLiteral("biasSpinBox"), QStringLiteral("1x2..")));
    QVERIFY(program.waitFor(QStringLiteral("text=Not a number: kept the previous value"), ShowMs).found);
    QVERIFY(program.retype(QStringLiteral("biasSpinBox"), QStringLiteral("150")));
    QVERIFY(
        program
            .waitFor(QStringLiteral("text=Out of range -100.0 \u2026 100.0: kept the previous value"), ShowMs)
            .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("bias-limit")).isEmpty());
    QCOMPARE(simulator.countLines(QStringLiteral("module request 1 18 ")), 0);

    // "Turn on/off all" offers only modules whose switch is enabled.
    QVERIFY(program.click(QStringLiteral("settingsButton")));
    QVERIFY(program.click(QStringLiteral("text=Turn on/off all")));
    QVERIFY(program.waitFor(QStringLiteral("turnOnAll1"), ShowMs).found);
    QVERIFY(!program.find(QStringLiteral("turnOnAll%1").arg(Thermometer)).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("turn-on-all")).isEmpty());
    QVERIFY(program.click(QStringLiteral("text=Close")));
    QVERIFY(program.quit());
}

void tst_HomeOnDisplay::deviceManagerSaysWhatItDid()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    startConnected(program, simulator);
    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("deviceManagerItem")));

    // Every crate-wide command has its own button; a held reset says it succeeded.
    QVERIFY(program.waitSettled(QStringLiteral("text=Power off")).found);
    const auto reset = program.waitSettled(QStringLiteral("text=Units reset"));
    QVERIFY(reset.found);
    QVERIFY(m_display->pressAndHold(reset.center(), HoldMs));
    QVERIFY(program
                .waitFor(QStringLiteral("deviceManagerMessage"), ShowMs,
                         [](const auto &item) {
                             return item.text == QLatin1String("The crate's modules were reset.");
                         })
                .found);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:URES")));

    // "Remove" asks first; until then nothing reaches the crate.
    QVERIFY(program.clickSettled(QStringLiteral("moduleHeader4")));
    QVERIFY(program.clickSettled(QStringLiteral("removeButton4")));
    QVERIFY(program.waitSettled(QStringLiteral("text=Remove module")).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("remove-question")).isEmpty());
    QCOMPARE(simulator.countLines(QStringLiteral("command SYST:DEVL:REMV")), 0);
    QVERIFY(program.clickSettled(QStringLiteral("text=Yes")));
    QVERIFY(program
                .waitFor(QStringLiteral("deviceManagerMessage"), ShowMs,
                         [](const auto &item) {
                             return item.text == QLatin1String("Unit 4 successfully removed");
                         })
                .found);
    // The home page behind shows the modules' readings again, with the manager still open.
    QVERIFY(program
                .waitFor(QStringLiteral("temperatureText%1").arg(Thermometer), ShowMs,
                         [](const auto &item) { return item.text.endsWith(QLatin1String(" K")); })
                .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("removed")).isEmpty());
    QVERIFY(program.quit());
}

void tst_HomeOnDisplay::calibrationFileOfAnotherModule()
{
    QTemporaryDir files;
    QVERIFY(files.isValid());
    const QString other = files.filePath(QStringLiteral("other.json"));
    const QString broken = files.filePath(QStringLiteral("broken.json"));
    for (const auto &[path, content] :
         {std::pair{other, QByteArray(R"({"DeviceType": "VT4SDM0", "UDID": "5654-5344-0001-2019-0A11-0001",
                                          "CurrentAdcCoeffs": [1.5, 2.5], "VoltageAdcCoeffs": [1, 2, 3]})")},
          std::pair{broken, QByteArray("{\"DeviceType\": ")}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    startConnected(program, simulator);
    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("deviceManagerItem")));
    QVERIFY(program.clickSettled(QStringLiteral("moduleHeader3")));
    QVERIFY(program.clickSettled(QStringLiteral("constantsButton3")));
    // The header shows the module's whole UDID, to be compared with a file's.
    QVERIFY(program
                .waitFor(QStringLiteral("eepromModuleHeader"), ShowMs,
                         [](const auto &item) {
                             return item.text.endsWith(QLatin1String("5654-5344-0101-2021-0B22-0003"));
                         })
                .found);
    QVERIFY(program.clickSettled(QStringLiteral("factoryPassword")));
    QVERIFY(m_display->type(QStringLiteral("lumbrix")));
    const auto load = [&](const QString &path) {
        return program.clickSettled(QStringLiteral("eepromMenuButton")) &&
               program.clickSettled(QStringLiteral("text=Load EEPROM data")) &&
               program.retype(QStringLiteral("fileNameTextField"), path);
    };

    // Another modification's file with one bad entry: the question names both, then loads the rest.
    QVERIFY(load(other));
    const auto question = program.waitFor(QStringLiteral("eepromLoadText"), ShowMs);
    QVERIFY(question.found);
    for (const char *part :
         {"UDID 5654-5344-0001-2019-0A11-0001", "a VT4SDM0 module; this module is a VT4SDM1",
          "\"VoltageAdcCoeffs\" is not a pair of numbers", "Load the 1 constant the file"})
        QVERIFY2(question.text.contains(QLatin1String(part)), qPrintable(question.text));
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("calibration-question")).isEmpty());
    QVERIFY(program.clickSettled(QStringLiteral("text=Yes")));
    const QString loaded =
        QStringLiteral("text=Constants loaded from the file; \"Set data to device\" sends them.");
    QVERIFY(program.waitFor(loaded, ShowMs).found);
    QVERIFY(program.clickSettled(QStringLiteral("group_Bias unit (slope, intercept)")));
    QVERIFY(program
                .waitFor(QStringLiteral("first_Current_ADC"), ShowMs,
                         [](const auto &item) { return item.text == QLatin1String("1.5"); })
                .found);

    // A file that is no calibration is refused, and the editor no longer says a file was loaded.
    QVERIFY(load(broken));
    QVERIFY(program.waitFor(QStringLiteral("text=ERROR!"), ShowMs).found);
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("calibration-refused")).isEmpty());
    QVERIFY(!program.find(loaded).found);
    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_HomeOnDisplay)
#include "tst_HomeOnDisplay.moc"
