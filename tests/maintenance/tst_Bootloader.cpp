#include "Bootloader.h"
#include "CommonDriver.h"
#include "SerialBootloaderPeer.h"
#include "SimulatorProcess.h"
#include "vtRs485IOInterface.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {
constexpr quint8 ModuleAddress = 1; ///< the simulator's serial module
constexpr int StopWithinMs = 2000;  ///< a cancel or a vanished port ends program() well before the erase does

/// STM32 CRC of whole 32-bit words, bit by bit: written from the hardware's description, apart
/// from the table-driven codec.
quint32 referenceCrc(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (int i = 0; i + 4 <= bytes.size(); i += 4) {
        crc ^= quint32(quint8(bytes[i])) | quint32(quint8(bytes[i + 1])) << 8 |
               quint32(quint8(bytes[i + 2])) << 16 | quint32(quint8(bytes[i + 3])) << 24;
        for (int bit = 0; bit < 32; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return ~crc;
}

/// An image of `size` bytes that carries `version` the way the simulated module looks for it.
QByteArray makeImage(int size, const QByteArray &version = "7.7.7")
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char(i * 7 + 3);
    const QByteArray tag = "VTFW:" + version + '\0';
    if (size >= 16 + tag.size())
        image.replace(16, tag.size(), tag);
    return image;
}

QString firmwareOf(const QString &port)
{
    vtRs485IOInterface link;
    link.setPortName(port);
    CommonDriver driver;
    driver.setDevAddress(ModuleAddress);
    driver.setIOInterface(&link);
    bool ok = false;
    const QString version = driver.firmwareVersion()->getValueSync(&ok, 3);
    return ok ? version : QStringLiteral("<no answer>");
}

/// Everything one program() call reported, in order.
struct Run
{
    QStringList events; ///< "info: ...", "error: ...", "progress N", "restart", "finished"
    QList<int> progress;
    bool ok = false;

    void attach(Bootloader &loader)
    {
        QObject::connect(&loader, &Bootloader::infoLoader,
                         [this](const QString &t) { events << "info: " + t; });
        QObject::connect(&loader, &Bootloader::errorLoader,
                         [this](const QString &t) { events << "error: " + t; });
        QObject::connect(&loader, &Bootloader::restart, [this] { events << QStringLiteral("restart"); });
        QObject::connect(&loader, &Bootloader::loaderFinished,
                         [this] { events << QStringLiteral("finished"); });
        QObject::connect(&loader, &Bootloader::loaderProgressChanged, [this](int p) { progress << p; });
    }
    int count(const QString &event) const { return int(events.count(event)); }
};
} // namespace

/// The bootloader client against the simulator's module on a pseudo-terminal.
class tst_Bootloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void packetsOfA300ByteImage();
    void programs_data();
    void programs();
    void refusesBadInputBeforeTouchingTheModule_data();
    void refusesBadInputBeforeTouchingTheModule();
    void stopsOnCancelOrVanishedPort_data();
    void stopsOnCancelOrVanishedPort();
    void keepsInStepWithASlowModule_data();
    void keepsInStepWithASlowModule();

private:
    Bootloader::Limits testLimits() const;
    QString writeFile(const QString &name, const QByteArray &bytes);
    void checkInvariants(const Run &run);

    QTemporaryDir m_dir;
};

void tst_Bootloader::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

Bootloader::Limits tst_Bootloader::testLimits() const
{
    Bootloader::Limits limits;
    limits.initReplyMs = 300;
    limits.hotPlugWaitMs = 3000;
    limits.eraseReplyMs = 1500;
    limits.blockReplyMs = 1000;
    limits.blockResends = 3;
    limits.programRounds = 2;
    return limits;
}

QString tst_Bootloader::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

void tst_Bootloader::checkInvariants(const Run &run)
{
    QCOMPARE(run.count(QStringLiteral("finished")), 1);
    QCOMPARE(run.events.last(), QStringLiteral("finished"));
    for (int i = 0; i < run.progress.size(); ++i) {
        QVERIFY(run.progress[i] <= 100);
        QVERIFY(i == 0 || run.progress[i] > run.progress[i - 1]);
    }
    if (run.ok)
        QCOMPARE(run.progress.last(), 100);
}

void tst_Bootloader::packetsOfA300ByteImage()
{
    static_assert(BootloaderImage::PacketSize == 133, "'P', 128 image bytes, 4 CRC bytes");
    QCOMPARE(referenceCrc(QByteArray("abc\0", 4)), 0x1EDF7968u); // the codec's check value
    BootloaderImage image;
    const QByteArray bytes = makeImage(300);
    image.setBytes(bytes);
    QCOMPARE(image.blockCount(), 3);
    const QByteArray last = image.packet(2);
    QCOMPARE(last.size(), 133);
    QCOMPARE(last.at(0), 'P');
    const QByteArray block = bytes.mid(256) + QByteArray(84, '\xFF');
    QCOMPARE(last.mid(1, 128), block);
    const quint32 crc = referenceCrc(block);
    const char crcBytes[4] = {char(crc), char(crc >> 8), char(crc >> 16), char(crc >> 24)};
    QCOMPARE(last.mid(129), QByteArray(crcBytes, 4));
}

void tst_Bootloader::programs_data()
{
    QTest::addColumn<QStringList>("simulator");
    QTest::addColumn<bool>("hotPlug");
    QTest::addColumn<int>("eraseReplyMs"); ///< 0: the test limits' value
    QTest::addColumn<QString>("failure");  ///< expected error text; empty: the module is programmed
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<int>("packetErrors");

    const QList<int> threeBlocks{42, 85, 100};
    QTest::newRow("300-byte image") << QStringList() << false << 0 << QString() << threeBlocks << 0;
    QTest::newRow("block 1 refused once")
        << QStringList{"--serial-crc-error", "1"} << false << 0 << QString() << threeBlocks << 1;
    QTest::newRow("noise on the line")
        << QStringList{"--serial-noise"} << false << 0 << QString() << threeBlocks << 0;
    QTest::newRow("slow erase") << QStringList{"--serial-erase-ms", "500"} << false << 0 << QString()
                                << threeBlocks << 0;
    QTest::newRow("hot plug: third Init answered")
        << QStringList{"--serial-in-bootloader", "--serial-silent-init", "2"} << true << 0 << QString()
        << threeBlocks << 0;
    QTest::newRow("hot plug sends no reboot")
        << QStringList() << true << 0 << "No any answer from device" << QList<int>() << 0;
    QTest::newRow("silence after Init") << QStringList{"--serial-silent-init", "all"} << false << 0
                                        << "No any answer from device" << QList<int>() << 0;
    QTest::newRow("erase slower than its wait") << QStringList{"--serial-erase-ms", "600"} << false << 200
                                                << "Programming failed after 2 attempts" << QList<int>() << 0;
    // Two rounds of one block refused four times (the first answer and three resends).
    QTest::newRow("block refused for ever")
        << QStringList{"--serial-crc-error", "0", "--serial-crc-error-times", "1000"} << false << 0
        << "Programming failed after 2 attempts" << QList<int>() << 6;
}

void tst_Bootloader::programs()
{
    QFETCH(QStringList, simulator);
    QFETCH(bool, hotPlug);
    QFETCH(int, eraseReplyMs);
    QFETCH(QString, failure);
    QFETCH(QList<int>, progress);
    QFETCH(int, packetErrors);

    SimulatorProcess sim(QStringList{"--serial-module"} + simulator);
    QVERIFY(sim.start());
    const QString version = QStringLiteral("7.7.%1").arg(qHash(QTest::currentDataTag()) % 1000);
    const QString path = writeFile(QStringLiteral("image.bin"), makeImage(300, version.toLatin1()));

    Bootloader loader;
    loader.setPortName(sim.serialPortPath());
    loader.setHotPlugFlag(hotPlug);
    Bootloader::Limits limits = testLimits();
    if (eraseReplyMs > 0)
        limits.eraseReplyMs = eraseReplyMs;
    loader.setLimits(limits);
    Run run;
    run.attach(loader);
    run.ok = loader.program(path);

    checkInvariants(run);
    QCOMPARE(run.ok, failure.isEmpty());
    QCOMPARE(run.count("info: Packet error, try send packet again"), packetErrors);
    if (!progress.isEmpty())
        QCOMPARE(run.progress, progress);
    if (!failure.isEmpty()) {
        QVERIFY2(run.events.contains("error: " + failure), qPrintable(run.events.join('\n')));
        return;
    }
    const QStringList expectedOrder{"info: Opening Serial Port",
                                    "info: Initialization Bootloader",
                                    "info: Getting bootloader info",
                                    "info: Reset pointer to the program memory",
                                    "info: Delete Old Program (it may take up to 5 seconds)",
                                    "info: Ok",
                                    "info: Start programming device",
                                    "info: Start Application",
                                    "finished"};
    qsizetype at = 0;
    for (const QString &event : expectedOrder) {
        at = run.events.indexOf(event, at);
        QVERIFY2(at >= 0, qPrintable(event + " missing or out of order in\n" + run.events.join('\n')));
    }
    QTRY_COMPARE_WITH_TIMEOUT(firmwareOf(sim.serialPortPath()), version, 3000);
}

void tst_Bootloader::refusesBadInputBeforeTouchingTheModule_data()
{
    QTest::addColumn<QString>("port"); ///< "sim": the simulator's port; "busy": that port, opened by the test
    QTest::addColumn<int>("imageSize"); ///< -1: no file; -2: a folder
    QTest::addColumn<QString>("failure");

    QTest::newRow("no port name") << QString() << 300 << "PortName is not setted";
    QTest::newRow("port does not exist")
        << "/dev/vantrel-no-such-port" << 300 << "Error at opening serialPort: 1";
    QTest::newRow("port busy") << "busy" << 300 << "Error at opening serialPort: 2";
    QTest::newRow("no file") << "sim" << -1 << "Can't find file: ";
    QTest::newRow("unreadable") << "sim" << -2 << "Can't open *.bin file";
    QTest::newRow("empty file") << "sim" << 0 << "Firmware file is empty: ";
    QTest::newRow("larger than the flash")
        << "sim" << int(BootloaderImage::MaxSize + 1)
        << "Firmware file is larger than the module's flash (114688 bytes): ";
}

void tst_Bootloader::refusesBadInputBeforeTouchingTheModule()
{
    QFETCH(QString, port);
    QFETCH(int, imageSize);
    QFETCH(QString, failure);

    SimulatorProcess sim({"--serial-module"});
    QVERIFY(sim.start());
    const QString before = firmwareOf(sim.serialPortPath());
    QSerialPort holder(sim.serialPortPath());
    if (port == QLatin1String("busy"))
        QVERIFY(holder.open(QIODevice::ReadWrite));
    if (port == QLatin1String("sim") || port == QLatin1String("busy"))
        port = sim.serialPortPath();
    const QString path = imageSize == -1   ? m_dir.filePath(QStringLiteral("missing.bin"))
                         : imageSize == -2 ? m_dir.path()
                                           : writeFile(QStringLiteral("bad.bin"), makeImage(imageSize));

    Bootloader loader;
    loader.setPortName(port);
    loader.setLimits(testLimits());
    Run run;
    run.attach(loader);
    run.ok = loader.program(path);
    holder.close();

    checkInvariants(run);
    QVERIFY(!run.ok);
    QVERIFY2(run.events.filter("error: " + failure).size() == 1, qPrintable(run.events.join('\n')));
    QVERIFY(run.progress.isEmpty());
    QCOMPARE(firmwareOf(sim.serialPortPath()), before); // still its old application: not rebooted
}

void tst_Bootloader::stopsOnCancelOrVanishedPort_data()
{
    QTest::addColumn<QString>("stop"); ///< how the erase is interrupted
    QTest::addColumn<QString>("failure");
    QTest::newRow("cancel") << "cancel"
                            << "Programming cancelled";
    QTest::newRow("port vanishes") << "vanish"
                                   << "Serial port lost: ";
    QTest::newRow("time limit") << "limit"
                                << "Programming took longer than 1 s";
}

void tst_Bootloader::stopsOnCancelOrVanishedPort()
{
    QFETCH(QString, stop);
    QFETCH(QString, failure);

    SimulatorProcess sim({"--serial-module", "--serial-erase-ms", "4000"});
    QVERIFY(sim.start());
    Bootloader loader;
    loader.setPortName(sim.serialPortPath());
    Bootloader::Limits limits = testLimits();
    limits.eraseReplyMs = 5000;
    if (stop == QLatin1String("limit"))
        limits.programTotalMs = 1000;
    loader.setLimits(limits);
    Run run;
    run.attach(loader);
    QElapsedTimer clock;
    connect(&loader, &Bootloader::infoLoader, this, [&](const QString &text) {
        if (!text.startsWith(QLatin1String("Delete Old Program")))
            return;
        clock.start();
        QTimer::singleShot(50, this, [&] {
            if (stop == QLatin1String("vanish"))
                sim.process().kill();
            else if (stop == QLatin1String("cancel"))
                loader.cancel();
        });
    });
    run.ok = loader.program(writeFile(QStringLiteral("image.bin"), makeImage(300)));

    QVERIFY(clock.isValid());
    QVERIFY2(clock.elapsed() < StopWithinMs, qPrintable(QString::number(clock.elapsed())));
    checkInvariants(run);
    QVERIFY(!run.ok);
    QVERIFY2(run.events.filter("error: " + failure).size() == 1, qPrintable(run.events.join('\n')));
}

void tst_Bootloader::keepsInStepWithASlowModule_data()
{
    QTest::addColumn<int>("eraseMs");
    QTest::addColumn<int>("replyDelayMs");
    QTest::addColumn<int>("infoByteGapMs");
    QTest::addColumn<int>("lateBlock");        ///< this block's first "Ok" comes after the block wait
    QTest::addColumn<QStringList>("commands"); ///< the whole exchange, when timing fixes it
    QTest::addColumn<QString>("failure");

    const QStringList straight{"reboot", "Init", "G", "C", "D", "P", "P", "P", "S"};
    QTest::newRow("text trickled, every reply late") << 20 << 40 << 10 << -1 << straight << QString();
    QTest::newRow("block acknowledged after its wait") << 20 << 40 << 0 << 1 << QStringList() << QString();
    // Erase waits 500 ms: each erase finishes after it, so no block may ever be sent.
    QTest::newRow("erase outlasts its wait")
        << 600 << 40 << 0 << -1 << QStringList() << "Programming failed after 2 attempts";
}

void tst_Bootloader::keepsInStepWithASlowModule()
{
    QFETCH(int, eraseMs);
    QFETCH(int, replyDelayMs);
    QFETCH(int, infoByteGapMs);
    QFETCH(int, lateBlock);
    QFETCH(QStringList, commands);
    QFETCH(QString, failure);

    SerialBootloaderPeer::Behaviour behaviour;
    behaviour.eraseMs = eraseMs;
    behaviour.replyDelayMs = replyDelayMs;
    behaviour.infoByteGapMs = infoByteGapMs;
    behaviour.lateBlock = lateBlock;
    behaviour.lateBlockMs = 400;
    SerialBootloaderPeer module(behaviour);
    if (!module.start())
        QSKIP(qPrintable(module.error()));
    const QByteArray image = makeImage(300);

    Bootloader loader;
    loader.setPortName(module.portName());
    Bootloader::Limits limits = testLimits();
    limits.eraseReplyMs = 500;
    limits.blockReplyMs = 200;
    loader.setLimits(limits);
    Run run;
    run.attach(loader);
    run.ok = loader.program(writeFile(QStringLiteral("image.bin"), image));

    checkInvariants(run);
    const QStringList handled = module.commands();
    const QString log = run.events.join('\n') + "\nmodule: " + handled.join(' ');
    QVERIFY2(run.ok == failure.isEmpty(), qPrintable(log));
    if (!commands.isEmpty())
        QCOMPARE(handled, commands);
    if (!failure.isEmpty()) {
        QVERIFY2(run.events.contains("error: " + failure), qPrintable(log));
        // No block goes to a module whose erase was not acknowledged.
        QVERIFY2(!run.events.contains("info: Start programming device"), qPrintable(log));
        QVERIFY2(!handled.contains("P") && !handled.contains("S"), qPrintable(log));
        return;
    }
    QVERIFY2(run.events.contains("info: Info: " + SerialBootloaderPeer::Behaviour().info), qPrintable(log));
    QCOMPARE(handled.mid(handled.lastIndexOf("D")), (QStringList{"D", "P", "P", "P", "S"}));
    QCOMPARE(module.flash(), image + QByteArray(84, '\xFF'));
}

QTEST_GUILESS_MAIN(tst_Bootloader)
#include "tst_Bootloader.moc"
