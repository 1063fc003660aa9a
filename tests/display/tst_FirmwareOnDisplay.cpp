#include "LocalHttpServer.h"
#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;
constexpr int ShowMs = 10000;
constexpr int UpdateMs = 30000;
constexpr int HoldMs = 2600; ///< a little longer than the button's 2 s
constexpr int DisplayStartAttempts = 3;
constexpr int SettleProbeMs = 250; ///< a fade reaches the screen within this
constexpr int ToastWaitMs = 2000;  ///< a message after closing would show within this
constexpr int Module = 1;          ///< SSPD M0 of the built-in crate: modification 0, hardware 2.1
constexpr int OtherM0 = 2;         ///< the same kind of module
constexpr int Thermometer = 5;     ///< temperature M0, hardware 1.3: only hardware 2 is published
const QString MainWindowTitle = QStringLiteral("SNSPD Vantrel Lab");
const QString FirmwarePath = QStringLiteral("vantrel4/Bin/Firmware/");

bool writeImage(const QString &path, const QByteArray &version)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write("VT4-FIRMWARE " + version + '\n' + QByteArray(16384, '\x5A')) > 0;
}
} // namespace

/// A module firmware update as a user runs it on a real display: the device manager, the
/// catalogue from a local web server, the choice boxes, holding "Update", the download and the
/// crate's writing, the question on closing the window meanwhile, the new version in the module
/// list, and a signal ending the program mid-update with the crate unlocked.
class tst_FirmwareOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void updateAModule();
    void newerProgramVersion();

private:
    /// The unit-update pop-up of a module whose own hardware has no published image.
    void noImageForTheModulesOwnHardware(ProgramOnDisplay &program);
    /// Opens the unit-update pop-up for `address` from the open device manager.
    bool openUnitUpdate(ProgramOnDisplay &program, int address);
    /// Holds "Update" and waits until the crate writes the image.
    bool startAndWaitForWriting(ProgramOnDisplay &program);

    std::unique_ptr<XvfbDisplay> m_display;
    QTemporaryDir m_tree;
};

void tst_FirmwareOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    for (int attempt = 0; attempt < DisplayStartAttempts; ++attempt) {
        m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_FirmwareOnDisplay"));
        if (m_display->start())
            return;
    }
    QFAIL(qPrintable(m_display->error()));
}

void tst_FirmwareOnDisplay::updateAModule()
{
    const QDir base(m_tree.filePath(FirmwarePath));
    for (const QByteArray version : {"1.9.0", "1.10.0"})
        QVERIFY(writeImage(base.filePath(version + "/VT4SDM0V2_code.bin"), version));
    QVERIFY(writeImage(base.filePath("1.10.0/VT4SDM1V3_code.bin"), "1.10.0"));
    QVERIFY(writeImage(base.filePath("1.10.0/VT4TDM0V2_code.bin"), "1.10.0"));
    LocalHttpServer http(m_tree.path());
    QVERIFY(http.start());
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString fileServerPort = QString::number(probe.serverPort());
    probe.close();

    SimulatorProcess simulator({"--update-port", fileServerPort, "--update-step-ms", "300"});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("VT4_FIRMWARE_URL"), http.url(FirmwarePath));
    environment.insert(QStringLiteral("VT4_FILE_SERVER_PORT"), fileServerPort);
    QVERIFY(program.start(simulator.port(), environment));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));

    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("deviceManagerItem")));
    noImageForTheModulesOwnHardware(program);
    if (QTest::currentTestFailed())
        return;
    QVERIFY(openUnitUpdate(program, Module));

    // The module's own modification and revision are chosen, the newest version first; only
    // factory staff may change the first two.
    const auto newest = [](const auto &item) { return item.text == QLatin1String("1.10.0"); };
    QVERIFY2(program.waitFor(QStringLiteral("versionBox"), ShowMs, newest).found,
             qPrintable(program.output()));
    QCOMPARE(program.find(QStringLiteral("modificationBox")).text, QStringLiteral("0"));
    QCOMPARE(program.find(QStringLiteral("revisionBox")).text, QStringLiteral("2"));
    QVERIFY(!program.find(QStringLiteral("modificationBox")).enabled);
    QCOMPARE(program.find(QStringLiteral("unitUpdateOwn")).text,
             QStringLiteral("modification 0, hardware version 2.1"));
    QVERIFY(!m_display->screenshot(QStringLiteral("unit-update")).isEmpty());

    QVERIFY(startAndWaitForWriting(program));
    QVERIFY(!m_display->screenshot(QStringLiteral("update-progress")).isEmpty());

    // Closing the window meanwhile asks first; keeping on lets the update complete.
    const QList<XvfbDisplay::Window> windows = m_display->visibleWindows(program.pid());
    const auto mainWindow = std::find_if(windows.cbegin(), windows.cend(),
                                         [](const auto &window) { return window.name == MainWindowTitle; });
    QVERIFY(mainWindow != windows.cend());
    QVERIFY(m_display->closeWindow(mainWindow->id));
    QVERIFY(program.waitSettled(QStringLiteral("quitDuringUpdateReject")).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("quit-question")).isEmpty());
    QVERIFY(program.clickSettled(QStringLiteral("quitDuringUpdateReject")));

    const auto outcome = program.waitFor(QStringLiteral("updateOutcome"), UpdateMs);
    QVERIFY2(outcome.text == QLatin1String("The module took the new firmware."), qPrintable(outcome.text));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0"), ShowMs));
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("update-completed")).isEmpty());

    // Closing reads the module list again: the device manager shows the new version.
    QVERIFY(program.clickSettled(QStringLiteral("updateCloseButton")));
    QVERIFY(program.waitFor(QStringLiteral("text=1.10.0"), ShowMs).found);
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("new-version")).isEmpty());

    // Cancel asks first and says what became of the module; the list refresh's success
    // message does not follow it.
    QVERIFY(openUnitUpdate(program, OtherM0));
    QVERIFY(program.waitFor(QStringLiteral("versionBox"), ShowMs, newest).found);
    QVERIFY(startAndWaitForWriting(program));
    QVERIFY(program.clickSettled(QStringLiteral("updateCloseButton")));
    QVERIFY(program.clickSettled(QStringLiteral("stopUpdateQuestionAccept")));
    const auto cancelled = program.waitFor(QStringLiteral("updateOutcome"), UpdateMs);
    QVERIFY2(cancelled.text.startsWith(QLatin1String("Update cancelled while the crate was writing")),
             qPrintable(cancelled.text));
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("update-cancelled")).isEmpty());
    QVERIFY(program.clickSettled(QStringLiteral("updateCloseButton")));
    QTest::qWait(ToastWaitMs);
    QVERIFY(!program.find(QStringLiteral("toastText")).text.contains(QLatin1String("sicessfully")));

    // SIGTERM in the middle of another update stops it and unlocks the crate.
    QVERIFY(program.clickSettled(QStringLiteral("updateButton%1").arg(OtherM0)));
    QVERIFY(program.waitFor(QStringLiteral("versionBox"), ShowMs, newest).found);
    simulator.clearLines();
    QVERIFY(startAndWaitForWriting(program));
    QVERIFY(!m_display->screenshot(QStringLiteral("second-update")).isEmpty());
    program.process().terminate();
    QVERIFY(program.process().waitForFinished(ShowMs));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0"), ShowMs));
}

bool tst_FirmwareOnDisplay::openUnitUpdate(ProgramOnDisplay &program, int address)
{
    return program.clickSettled(QStringLiteral("moduleHeader%1").arg(address)) &&
           program.clickSettled(QStringLiteral("updateButton%1").arg(address));
}

bool tst_FirmwareOnDisplay::startAndWaitForWriting(ProgramOnDisplay &program)
{
    const auto update = program.waitSettled(QStringLiteral("unitUpdateButton"));
    if (!update.found || !m_display->pressAndHold(update.center(), HoldMs))
        return false;
    return program
        .waitFor(QStringLiteral("updatePhase"), UpdateMs,
                 [](const auto &item) { return item.text.startsWith(QLatin1String("Step 2 of 2")); })
        .found;
}

void tst_FirmwareOnDisplay::noImageForTheModulesOwnHardware(ProgramOnDisplay &program)
{
    QVERIFY(openUnitUpdate(program, Thermometer));
    const auto note = program.waitFor(QStringLiteral("unitUpdateNote"), ShowMs, [](const auto &item) {
        return item.text.startsWith(QLatin1String("No firmware is published"));
    });
    QVERIFY2(note.text == QLatin1String("No firmware is published for modification 0, hardware version 1.3."),
             qPrintable(note.text));
    QCOMPARE(program.find(QStringLiteral("modificationBox")).text, QStringLiteral("0"));
    QCOMPARE(program.find(QStringLiteral("revisionBox")).text, QString());
    QVERIFY(!program.find(QStringLiteral("unitUpdateButton")).enabled);
    QVERIFY(!m_display->screenshot(QStringLiteral("no-image-for-own-hardware")).isEmpty());

    // Factory staff may take hardware 2's image, after a question naming both.
    QVERIFY(program.clickSettled(QStringLiteral("unitUpdatePassword")));
    QVERIFY(m_display->type(QStringLiteral("lumbrix")));
    QVERIFY(program.clickSettled(QStringLiteral("revisionBox")));
    QVERIFY(m_display->keys({QStringLiteral("Down"), QStringLiteral("Return")}));
    QVERIFY(program
                .waitFor(QStringLiteral("revisionBox"), ShowMs,
                         [](const auto &item) { return item.text == QLatin1String("2"); })
                .found);
    const auto update = program.waitSettled(QStringLiteral("unitUpdateButton"));
    QVERIFY(update.found && m_display->pressAndHold(update.center(), HoldMs));
    const auto question = program.waitFor(QStringLiteral("otherHardwareQuestionText"), ShowMs);
    QVERIFY2(question.text.contains(QLatin1String("hardware version 1.3")) &&
                 question.text.contains(QLatin1String("hardware version 2.")),
             qPrintable(question.text));
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("other-hardware-question")).isEmpty());
    QVERIFY(program.clickSettled(QStringLiteral("otherHardwareQuestionReject")));
    QVERIFY(program.clickSettled(QStringLiteral("unitUpdateClose")));
}

void tst_FirmwareOnDisplay::newerProgramVersion()
{
    // A copy of the program with an updater script beside it, as the program is installed.
    QTemporaryDir folder;
    const QDir bin = QFileInfo(QStringLiteral(VT_PROGRAM_PATH)).dir();
    const QString program = folder.filePath(QStringLiteral("VantrelLab"));
    QVERIFY(QFile::copy(QStringLiteral(VT_PROGRAM_PATH), program));
    QVERIFY(QFile::copy(bin.filePath(QStringLiteral("libOrvexProtocol.so")),
                        folder.filePath(QStringLiteral("libOrvexProtocol.so"))));
    QFile updater(folder.filePath(QStringLiteral("Updater.exe")));
    QVERIFY(updater.open(QIODevice::WriteOnly));
    updater.write("#!/bin/sh\n"
                  "case \"$1\" in\n"
                  "--checkupdates) echo 'Found version=\"1.4.0-2\"' ;;\n"
                  "--start-updater) touch \"$(dirname \"$0\")/started\" ;;\n"
                  "esac\n");
    updater.close();
    QVERIFY(updater.setPermissions(updater.permissions() | QFileDevice::ExeOwner));

    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    ProgramOnDisplay running(*m_display);
    running.setProgram(program);
    QVERIFY(running.start(simulator.port()));
    QVERIFY2(running.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(running.output()));

    QVERIFY(running.clickSettled(QStringLiteral("versionLabel")));
    QVERIFY(running.waitFor(QStringLiteral("text=Version 1.4.0-2 is available."), ShowMs).found);
    QVERIFY(running.find(QStringLiteral("versionHistory")).found);
    QTest::qWait(SettleProbeMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("version-history")).isEmpty());
    QVERIFY(running.clickSettled(QStringLiteral("versionClose")));
    QTRY_VERIFY_WITH_TIMEOUT(!running.find(QStringLiteral("versionHistory")).found, ShowMs);

    const auto notice = running.waitFor(QStringLiteral("updaterNotice"), ShowMs);
    QCOMPARE(notice.text, QStringLiteral("\u26A0  Update 1.4.0-2"));
    QVERIFY(running.clickSettled(QStringLiteral("updaterNotice")));
    QVERIFY(running.waitSettled(QStringLiteral("updaterInstall")).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("program-update-confirm")).isEmpty());
    QVERIFY(running.clickSettled(QStringLiteral("updaterInstall")));
    // The updater runs, and the program leaves it the field.
    QVERIFY(running.process().waitForFinished(ShowMs));
    QCOMPARE(running.process().exitCode(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(folder.filePath(QStringLiteral("started"))), ShowMs);
}

QTEST_GUILESS_MAIN(tst_FirmwareOnDisplay)
#include "tst_FirmwareOnDisplay.moc"
