// vantrel-flash: writes a module's firmware over a serial port the module is attached to
// directly, to recover a module that no longer starts inside a crate.

#include "Bootloader.h"
#include "BootloaderImage.h"
#include "FlashConsole.h"
#include "InterruptWatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

namespace {
constexpr int ExitFailed = 1;      ///< the module was not programmed
constexpr int ExitUsage = 2;       ///< bad command line, missing port or file
constexpr int ExitCancelled = 130; ///< Ctrl-C, as a shell reports a process ended by SIGINT

int usageError(const QString &text)
{
    std::fprintf(stderr, "vantrel-flash: %s\nTry 'vantrel-flash --help'.\n", qPrintable(text));
    return ExitUsage;
}

/// Why the file at `path` cannot be a module's firmware, or empty when it can.
QString imageProblem(const QString &path)
{
    BootloaderImage image;
    switch (image.load(path)) {
    case BootloaderImage::Loaded:
        return {};
    case BootloaderImage::Missing:
        return QStringLiteral("firmware file %1 does not exist").arg(path);
    case BootloaderImage::Unreadable:
        return QStringLiteral("cannot read firmware file %1").arg(path);
    case BootloaderImage::Empty:
        return QStringLiteral("firmware file %1 is empty").arg(path);
    case BootloaderImage::TooLarge:
        return QStringLiteral("firmware file %1 is larger than a module's flash (%2 bytes)")
            .arg(path)
            .arg(BootloaderImage::MaxSize);
    }
    return {};
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-flash"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VT_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a firmware image into a module attached directly to a serial port (RS-485 adapter).\n"
        "The module is asked to reboot into its bootloader, unless --hot-plug is given: then plug the\n"
        "module in when asked. Exits 0 only when the module has started its new firmware.\n"
        "Exit codes: 0 programmed, 1 failed, 2 bad command line or input, 130 cancelled (Ctrl-C)."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption({QStringLiteral("p"), QStringLiteral("port")},
                                        QStringLiteral("Serial port of the module, e.g. /dev/ttyUSB0."),
                                        QStringLiteral("PORT"));
    const QCommandLineOption hotPlugOption(
        QStringLiteral("hot-plug"), QStringLiteral("Do not reboot the module; wait until it is plugged in."));
    parser.addOption(portOption);
    parser.addOption(hotPlugOption);
    parser.addPositionalArgument(QStringLiteral("firmware.bin"), QStringLiteral("The firmware image."));
    parser.process(app);

    const QStringList files = parser.positionalArguments();
    if (!parser.isSet(portOption))
        return usageError(QStringLiteral("no serial port given (--port PORT)"));
    if (files.size() != 1)
        return usageError(QStringLiteral("give exactly one firmware file"));
    const QString port = parser.value(portOption);
    if (!QFileInfo::exists(port))
        return usageError(QStringLiteral("serial port %1 does not exist").arg(port));
    const QString problem = imageProblem(files.first());
    if (!problem.isEmpty())
        return usageError(problem);

    Bootloader bootloader;
    bootloader.setPortName(port);
    bootloader.setHotPlugFlag(parser.isSet(hotPlugOption));

    FlashConsole console;
    QObject::connect(&bootloader, &Bootloader::infoLoader, &console, &FlashConsole::info);
    QObject::connect(&bootloader, &Bootloader::errorLoader, &console, &FlashConsole::error);
    QObject::connect(&bootloader, &Bootloader::loaderProgressChanged, &console, &FlashConsole::progress);

    InterruptWatcher interrupts;
    bool cancelled = false;
    if (interrupts.install())
        QObject::connect(&interrupts, &InterruptWatcher::interrupted, &bootloader, [&] {
            cancelled = true;
            bootloader.cancel();
        });

    if (bootloader.program(files.first())) {
        console.info(QStringLiteral("Module programmed and started."));
        return 0;
    }
    return cancelled ? ExitCancelled : ExitFailed;
}
