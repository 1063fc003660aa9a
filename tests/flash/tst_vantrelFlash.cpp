#include "CommonDriver.h"
#include "SimulatorProcess.h"
#include "vtRs485IOInterface.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
constexpr int RunTimeoutMs = 30000;
const QByteArray Version = "3.1.4";

QString firmwareOf(const QString &port)
{
    vtRs485IOInterface link;
    link.setPortName(port);
    CommonDriver driver;
    driver.setDevAddress(1);
    driver.setIOInterface(&link);
    bool ok = false;
    const QString version = driver.firmwareVersion()->getValueSync(&ok, 3);
    return ok ? version : QString();
}
} // namespace

/// The flashing program run as users run it, against the simulator's module on a pseudo-terminal.
class tst_vantrelFlash : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
};

void tst_vantrelFlash::runs_data()
{
    QTest::addColumn<QStringList>("simulator");
    /// PORT stands for the module's port, IMAGE for a good image, EMPTY and HUGE for bad ones
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output"); ///< expected in stdout + stderr

    QTest::newRow("programs the module") << QStringList() << "--port PORT IMAGE" << 0 << "100%";
    QTest::newRow("no port given") << QStringList() << "IMAGE" << 2 << "no serial port given";
    QTest::newRow("missing port") << QStringList() << "--port /dev/vantrel-none IMAGE" << 2
                                  << "serial port /dev/vantrel-none does not exist";
    QTest::newRow("missing file") << QStringList() << "--port PORT /nonexistent.bin" << 2
                                  << "firmware file /nonexistent.bin does not exist";
    QTest::newRow("empty file") << QStringList() << "--port PORT EMPTY" << 2 << "is empty";
    QTest::newRow("over the image limit")
        << QStringList() << "--port PORT HUGE" << 2 << "larger than a module's flash";
    QTest::newRow("no answer") << QStringList{"--serial-silent-init", "all"} << "--port PORT IMAGE" << 1
                               << "No any answer from device";
    QTest::newRow("Ctrl-C") << QStringList{"--serial-erase-ms", "5000"} << "--port PORT IMAGE" << 130
                            << "Programming cancelled";
}

void tst_vantrelFlash::runs()
{
    QFETCH(QStringList, simulator);
    QFETCH(QString, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    SimulatorProcess sim(QStringList{"--serial-module"} + simulator);
    QVERIFY(sim.start());
    QTemporaryDir dir;
    QFile image(dir.filePath(QStringLiteral("firmware.bin")));
    QVERIFY(image.open(QIODevice::WriteOnly));
    image.write("\x10\x20VTFW:" + Version + QByteArray(1, '\0') + QByteArray(5000, '\x5A'));
    image.close();
    QFile empty(dir.filePath(QStringLiteral("empty.bin")));
    QFile huge(dir.filePath(QStringLiteral("huge.bin")));
    QVERIFY(empty.open(QIODevice::WriteOnly) && huge.open(QIODevice::WriteOnly));
    QVERIFY(huge.resize(112 * 1024 + 1)); // one byte over the modules' flash
    arguments.replace(QLatin1String("PORT"), sim.serialPortPath())
        .replace(QLatin1String("IMAGE"), image.fileName())
        .replace(QLatin1String("EMPTY"), empty.fileName())
        .replace(QLatin1String("HUGE"), huge.fileName());

    QProcess flash;
    flash.setProcessChannelMode(QProcess::MergedChannels);
    flash.start(QStringLiteral(VT_FLASH_PATH), arguments.split(QLatin1Char(' ')));
    QVERIFY(flash.waitForStarted());
    QByteArray printed;
    if (exitCode == 130) {
        QTRY_VERIFY_WITH_TIMEOUT((printed += flash.readAll()).contains("Delete Old Program"), RunTimeoutMs);
        ::kill(static_cast<pid_t>(flash.processId()), SIGINT);
    }
    QVERIFY(flash.waitForFinished(RunTimeoutMs));
    printed += flash.readAll();
    QVERIFY2(printed.contains(output.toUtf8()), printed.constData());
    QCOMPARE(flash.exitStatus(), QProcess::NormalExit);
    QCOMPARE(flash.exitCode(), exitCode);
    if (exitCode == 0) {
        QVERIFY(printed.contains("Info: VT4 bootloader"));
        QCOMPARE(firmwareOf(sim.serialPortPath()), QString::fromLatin1(Version));
    }
}

QTEST_GUILESS_MAIN(tst_vantrelFlash)
#include "tst_vantrelFlash.moc"
