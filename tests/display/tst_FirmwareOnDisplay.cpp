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
constexpr int Module = 1;          ///< SSPD M0 of the built-in crate: modification 0, hardware 2.1
const QString FirmwarePath = QStringLiteral("vantrel4/Bin/Firmware/");

bool writeImage(const QString &path, const QByteArray &version)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write("VT4-FIRMWARE " + version + '\n' + QByteArray(16384, '\x5A')) > 0;
}
} // namespace

/// A module firmware update as a user runs it on a real display: the device manager, the
/// catalogue from a local web server, holding "Update", the crate taking the image, and the
/// new version in the module list.
class tst_FirmwareOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void updateAModule();
    void newerProgramVersion();

private:
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
    QVERIFY(program.clickSettled(QStringLiteral("moduleHeader%1").arg(Module)));
    QVERIFY(program.clickSettled(QStringLiteral("updateButton%1").arg(Module)));

    // The module's own modification and revision are chosen, the newest version first; only
    // factory staff may change the first two.
    const auto newest = [](const auto &item) { return item.text == QLatin1String("1.10.0"); };
    QVERIFY2(program.waitFor(QStringLiteral("versionBox"), ShowMs, newest).found,
             qPrintable(program.output()));
    QCOMPARE(program.find(QStringLiteral("modificationBox")).text, QStringLiteral("0"));
    QCOMPARE(program.find(QStringLiteral("revisionBox")).text, QStringLiteral("2"));
    QVERIFY(!program.find(QStringLiteral("modificationBox")).enabled);
    QVERIFY(!m_display->screenshot(QStringLiteral("unit-update")).isEmpty());

    const auto update = program.waitSettled(QStringLiteral("unitUpdateButton"));
    QVERIFY(update.found);
    QVERIFY(m_display->pressAndHold(update.center(), HoldMs));
    QVERIFY(program
                .waitFor(QStringLiteral("updateStatus"), UpdateMs,
                         [](const auto &item) { return item.text.startsWith(QLatin1String("Writing")); })
                .found);
    QVERIFY(!m_display->screenshot(QStringLiteral("update-progress")).isEmpty());

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
    QVERIFY(program.quit());
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
