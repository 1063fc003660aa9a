// Writing a 64 KiB image through the bootloader client to the simulator's module over a
// pseudo-terminal, per 128-byte block, next to the bare exchange on the same line in the same
// run: a 133-byte write answered by a 2-byte reply.
#include "Bootloader.h"
#include "SampleStats.h"
#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTextStream>

namespace {
constexpr int ImageSize = 64 * 1024;
constexpr int Blocks = ImageSize / BootloaderImage::BlockSize;
constexpr int ReplyWaitMs = 1000;
constexpr int FixedWaitsMs = 5; ///< events processed before every command; the pty writes at once

QByteArray image()
{
    QByteArray bytes(ImageSize, '\0');
    for (int i = 0; i < ImageSize; ++i)
        bytes[i] = char(i * 31 + 7);
    return bytes;
}

/// Bare exchanges with the bootloader: each block's write packet, answered "Ok".
SampleStats bareExchanges(const QString &port, const BootloaderImage &blocks)
{
    QSerialPort serial(port);
    serial.setBaudRate(Bootloader::BaudRate);
    if (!serial.open(QIODevice::ReadWrite))
        qFatal("cannot open %s", qPrintable(port));
    serial.write("C");
    serial.waitForReadyRead(ReplyWaitMs);
    serial.waitForReadyRead(50);
    serial.readAll();
    QList<double> samples;
    for (int block = 0; block < Blocks; ++block) {
        QElapsedTimer clock;
        clock.start();
        serial.write(blocks.packet(block));
        serial.flush();
        while (serial.bytesAvailable() < 2 && serial.waitForReadyRead(ReplyWaitMs)) {
        }
        if (serial.read(2) != "Ok")
            qFatal("block %d not acknowledged", block);
        samples << clock.nsecsElapsed() / 1e6;
    }
    return SampleStats(samples);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SimulatorProcess simulator({"--serial-module", "--serial-in-bootloader"});
    if (!simulator.start())
        qFatal("simulator did not start");
    const QString port = simulator.serialPortPath();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("image.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(image()) != ImageSize)
        qFatal("cannot write the image");
    file.close();
    BootloaderImage blocks;
    blocks.setBytes(image());

    const SampleStats bareFirst = bareExchanges(port, blocks);

    Bootloader loader;
    loader.setPortName(port);
    loader.setHotPlugFlag(true); // the module waits in its bootloader already
    QElapsedTimer writing;
    double writeMs = 0;
    QObject::connect(&loader, &Bootloader::infoLoader, [&](const QString &text) {
        if (text == QLatin1String("Start programming device"))
            writing.start();
    });
    QObject::connect(&loader, &Bootloader::loaderProgressChanged, [&](int percent) {
        if (percent == 100)
            writeMs = writing.nsecsElapsed() / 1e6;
    });
    if (!loader.program(path))
        qFatal("programming failed");

    // Back into the bootloader for the second half of the baseline.
    loader.rebootDevice();
    const SampleStats bareSecond = bareExchanges(port, blocks);

    const double bare = (bareFirst.median() + bareSecond.median()) / 2;
    const double perBlock = writeMs / Blocks;
    const double floor = bare + FixedWaitsMs;
    QTextStream out(stdout);
    out << "64 KiB image, " << Blocks << " blocks of 128 bytes over a pseudo-terminal\n";
    out << QString("  bare 133-byte write + 2-byte reply  median %1 ms (p99 %2 ms)\n")
               .arg(bare, 0, 'f', 3)
               .arg(std::max(bareFirst.percentile(0.99), bareSecond.percentile(0.99)), 0, 'f', 3);
    out << QString("  Bootloader per block                %1 ms (whole write %2 ms)\n")
               .arg(perBlock, 0, 'f', 3)
               .arg(writeMs, 0, 'f', 0);
    out << QString("  floor: bare + %1 ms of event processing  %2 ms; per block / floor %3\n")
               .arg(FixedWaitsMs)
               .arg(floor, 0, 'f', 3)
               .arg(perBlock / floor, 0, 'f', 3);
    out << QString("  target 1.3 x bare + 10 ms = %1 ms: %2\n")
               .arg(1.3 * bare + 10, 0, 'f', 3)
               .arg(perBlock <= 1.3 * bare + 10 ? "met" : "NOT met");
    return 0;
}
