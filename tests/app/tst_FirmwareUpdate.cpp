#include "FacadeOnSimulator.h"
#include "FileMapHandler.h"
#include "FileServer.h"
#include "FirmwareUpdate.h"
#include "LocalHttpServer.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;
constexpr int SspdAddress = 1;
const QString BasePath = QStringLiteral("vantrel4/Bin/Firmware/");
} // namespace

/// A module firmware update end to end over loopback: the catalogue and the image from a local
/// web server, the program's file server, the simulated crate taking the image; and every way
/// it can fail, each of which must leave the crate unlocked.
class tst_FirmwareUpdate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void updateFromTheCatalogueReachesTheModule();
    void everyFailureUnlocksTheCrate_data();
    void everyFailureUnlocksTheCrate();
    void aServerThatCannotListenEndsAtOnce();
    void aRefusedUpdateEndsAtOnce();
    void stoppingSaysHowFarItCameAndUnlocks_data();
    void stoppingSaysHowFarItCameAndUnlocks();

private:
    bool connectTo(SimulatorProcess &simulator);

    QTemporaryDir m_config;
    QTemporaryDir m_tree;
    std::unique_ptr<LocalHttpServer> m_http;
    quint16 m_fileServerPort = 0;
};

void tst_FirmwareUpdate::initTestCase()
{
    QVERIFY(m_config.isValid() && m_tree.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    // A test image carries the version the crate reports once it is written.
    const QDir base(m_tree.filePath(BasePath));
    QVERIFY(QDir().mkpath(base.filePath("1.5.0")));
    QFile image(base.filePath("1.5.0/VT4SDM0V2_code.bin"));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write("VT4-FIRMWARE 1.5.0\n" + QByteArray(8192, '\x3C'));
    image.close();
    m_http = std::make_unique<LocalHttpServer>(m_tree.path());
    QVERIFY(m_http->start());
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    m_fileServerPort = probe.serverPort();
    qputenv("VT4_FILE_SERVER_PORT", QByteArray::number(m_fileServerPort));
}

void tst_FirmwareUpdate::cleanup()
{
    WorkerAsync::destroyInstance();
}

bool tst_FirmwareUpdate::connectTo(SimulatorProcess &simulator)
{
    return connectFacadeToSimulator(simulator, WaitMs);
}

void tst_FirmwareUpdate::updateFromTheCatalogueReachesTheModule()
{
    // A crate on a loopback address other than 127.0.0.1 connects back from 127.0.0.1.
    SimulatorProcess simulator({"--address", "127.0.0.2", "--update-port", QString::number(m_fileServerPort),
                                "--update-step-ms", "20"});
    QVERIFY(simulator.start());
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.2"));
    QVERIFY(connected.wait(WaitMs));
    facade->activateMode(WorkerAsync::WorkerModeNoAction);

    FileMapHandler catalogue(m_http->url(BasePath), nullptr);
    QSignalSpy loaded(&catalogue, &FileMapHandler::loadingFinished);
    catalogue.loadFileMap();
    QVERIFY(loaded.wait(WaitMs));
    catalogue.updateFilters("VT4SD", "0", "2");
    QCOMPARE(catalogue.versions(), QStringList{"1.5.0"});

    FileServer server;
    FirmwareUpdate update(&server, facade);
    QSignalSpy finished(&update, &FirmwareUpdate::finished);
    // Each phase with the percentages shown in it; 100 only once the crate completed.
    QStringList shown;
    const auto record = [&] { shown << QStringLiteral("%1:%2").arg(update.phase()).arg(update.percent()); };
    connect(&update, &FirmwareUpdate::phaseChanged, this, record);
    connect(&update, &FirmwareUpdate::percentChanged, this, record);
    update.start(SspdAddress, catalogue.imageUrl("1.5.0", "VT4SD", "0", "2"));
    QVERIFY(finished.wait(WaitMs));
    QVERIFY2(finished.first().at(0).toBool(), qPrintable(finished.first().at(1).toString()));
    shown.removeDuplicates();
    const auto at = [&](FirmwareUpdate::Phase phase, int percent) {
        return shown.indexOf(QStringLiteral("%1:%2").arg(phase).arg(percent));
    };
    QVERIFY2(at(FirmwareUpdate::PhaseConnecting, 0) < at(FirmwareUpdate::PhaseDownloading, 0) &&
                 at(FirmwareUpdate::PhaseDownloading, 0) < at(FirmwareUpdate::PhaseWriting, 0) &&
                 at(FirmwareUpdate::PhaseWriting, 0) < at(FirmwareUpdate::PhaseWriting, 50) &&
                 at(FirmwareUpdate::PhaseWriting, 50) < at(FirmwareUpdate::PhaseCompleted, 100),
             qPrintable(shown.join(' ')));
    QCOMPARE(shown.filter(QStringLiteral(":100")).count(), 1);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0")));

    // The module list, read again, shows the version the image carried.
    facade->sendCommand(WorkerAsync::CommandAddUnit, SspdAddress);
    QTRY_COMPARE_WITH_TIMEOUT(facade->dataList()->items().first().byName("Firmware").toString(),
                              QStringLiteral("1.5.0"), WaitMs);
}

void tst_FirmwareUpdate::everyFailureUnlocksTheCrate_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("reason");
    const QString good = BasePath + "1.5.0/VT4SDM0V2_code.bin";
    QTest::newRow("crate error") << "error:Flash verify failed" << good
                                 << "Error at client: Flash verify failed";
    QTest::newRow("dropped connection") << "drop" << good << "The crate closed the connection";
    QTest::newRow("stalled crate") << "stall" << good << "The crate sent nothing for";
    QTest::newRow("crate never connects") << "no-connect" << good << "The crate did not connect";
    QTest::newRow("missing image") << "" << BasePath + "9.9.9/VT4SDM0V2_code.bin"
                                   << "Download error: ";
}

void tst_FirmwareUpdate::everyFailureUnlocksTheCrate()
{
    QFETCH(QString, fault);
    QFETCH(QString, image);
    QFETCH(QString, reason);
    QStringList arguments{"--update-port", QString::number(m_fileServerPort), "--update-step-ms", "20"};
    if (!fault.isEmpty())
        arguments << "--update-fault" << fault;
    SimulatorProcess simulator(arguments);
    QVERIFY(connectTo(simulator));
    FileServer server;
    FirmwareUpdate update(&server, WorkerAsync::instance());
    update.setTimeouts(2000, 1000);
    QSignalSpy finished(&update, &FirmwareUpdate::finished);
    update.start(SspdAddress, m_http->url(image));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(0).toBool(), false);
    QVERIFY2(finished.first().at(1).toString().startsWith(reason),
             qPrintable(finished.first().at(1).toString()));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0")));
    QVERIFY(!update.running());
    QCOMPARE(update.phase(), FirmwareUpdate::PhaseFailed);
    QVERIFY(update.percent() < 100);
}

void tst_FirmwareUpdate::aServerThatCannotListenEndsAtOnce()
{
    SimulatorProcess simulator({"--update-port", QString::number(m_fileServerPort)});
    QVERIFY(connectTo(simulator));
    QTcpServer taken;
    QVERIFY(taken.listen(QHostAddress::Any, m_fileServerPort));
    FileServer server;
    FirmwareUpdate update(&server, WorkerAsync::instance());
    QSignalSpy finished(&update, &FirmwareUpdate::finished);
    update.start(SspdAddress, m_http->url(BasePath + "1.5.0/VT4SDM0V2_code.bin"));
    QCOMPARE(finished.count(), 1);
    QVERIFY(finished.first().at(1).toString().startsWith(QStringLiteral("Can't start file server: ")));
    QVERIFY(!update.running());
    QVERIFY(!simulator.waitForLine(QStringLiteral("SYST:UPDT"), 500)); // the crate was never told
}

void tst_FirmwareUpdate::aRefusedUpdateEndsAtOnce()
{
    SimulatorProcess simulator({"--update-port", QString::number(m_fileServerPort)});
    QVERIFY(connectTo(simulator));
    FileServer server;
    FirmwareUpdate update(&server, WorkerAsync::instance());
    update.setTimeouts(10 * WaitMs, 10 * WaitMs); // only the refusal can end it within WaitMs
    QSignalSpy finished(&update, &FirmwareUpdate::finished);
    constexpr int AbsentModule = 99;
    update.start(AbsentModule, m_http->url(BasePath + "1.5.0/VT4SDM0V2_code.bin"));
    QVERIFY(finished.wait(WaitMs));
    QCOMPARE(finished.first().at(1).toString(), QStringLiteral("The crate refused to update module 99"));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0")));
}

void tst_FirmwareUpdate::stoppingSaysHowFarItCameAndUnlocks_data()
{
    QTest::addColumn<bool>("quitting");
    QTest::addColumn<QString>("message");
    QTest::newRow("cancelled while writing")
        << false
        << "Update cancelled while the crate was writing the image: the module's firmware may be incomplete";
    QTest::newRow("program quits") << true << "The program was closed during the update";
}

void tst_FirmwareUpdate::stoppingSaysHowFarItCameAndUnlocks()
{
    QFETCH(bool, quitting);
    QFETCH(QString, message);
    // The crate starts writing, then falls silent: only the stop ends the update.
    SimulatorProcess simulator({"--update-port", QString::number(m_fileServerPort), "--update-step-ms", "20",
                                "--update-fault", "stall"});
    QVERIFY(connectTo(simulator));
    FileServer server;
    FirmwareUpdate update(&server, WorkerAsync::instance());
    QSignalSpy finished(&update, &FirmwareUpdate::finished);
    update.start(SspdAddress, m_http->url(BasePath + "1.5.0/VT4SDM0V2_code.bin"));
    QTRY_COMPARE_WITH_TIMEOUT(update.phase(), FirmwareUpdate::PhaseWriting, WaitMs);
    QVERIFY(simulator.waitForLine(QStringLiteral("stalls"), WaitMs));
    if (quitting) {
        // The link closes as the worker goes, right after.
        update.stopForQuit();
        WorkerAsync::destroyInstance();
    } else {
        update.cancel();
    }
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(1).toString(), message);
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:LOCK 0")));
}

QTEST_GUILESS_MAIN(tst_FirmwareUpdate)
#include "tst_FirmwareUpdate.moc"
