// vantrel-sim: the crate simulator. Stands in for the instrument crate on a TCP port, for demos
// and for the integration tests. See SimulatorOptions for the command line.

#include "ConsoleLog.h"
#include "CrateDescription.h"
#include "CrateServer.h"
#include "CrateState.h"
#include "DiscoveryResponder.h"
#include "FaultCommands.h"
#include "SerialModule.h"
#include "SignalWatcher.h"
#include "SimClock.h"
#include "SimulatedCrate.h"
#include "SimulatorOptions.h"
#include "TextCommandHandler.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace {
constexpr int ExitUsage = 2;   ///< bad command line or crate description
constexpr int ExitNetwork = 3; ///< a port could not be opened
constexpr int SerialModuleAddress = 1;
constexpr int PowerCycleDownMs = 2000; ///< a power-cycled crate takes no connection this long

void printError(const QString &text)
{
    std::fprintf(stderr, "vantrel-sim: %s\n", qPrintable(text));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-sim"));

    SimulatorOptions options;
    QString error;
    if (!options.parse(app.arguments(), &error)) {
        printError(error);
        return ExitUsage;
    }

    std::optional<CrateDescription> description = CrateDescription::builtIn();
    if (!options.crateFile.isEmpty())
        description = CrateDescription::fromFile(options.crateFile, &error);
    if (!description) {
        printError(error);
        return ExitUsage;
    }

    CrateState state(options.stateFile);
    if (!state.load(&error))
        printError(error);

    SignalWatcher signalWatcher;
    if (!signalWatcher.install())
        printError(QStringLiteral("cannot watch SIGINT/SIGTERM; stop me with SIGKILL"));
    QObject::connect(&signalWatcher, &SignalWatcher::terminationRequested, &app,
                     [] { QCoreApplication::quit(); });

    const SimClock clock(options.timeScale);
    SimulatedCrate crate(*description, state, clock, options.silentAddresses, options.allSilent);
    TextCommandHandler commands(crate, options.legacy, options.failCommands);
    const ConsoleLog log(options.verbose, options.verboseModules);
    commands.enableFirmwareUpdates(options.update, &log);
    const ReplyShaper::Settings shaping{options.delayMs, options.splitBytes, options.coalesce,
                                        options.garbledAddresses};

    CrateServer server(crate, commands, log, shaping);
    if (!server.listen(options.address, options.port, &error)) {
        printError(error);
        return ExitNetwork;
    }
    FaultCommands faults(crate, [&crate, &server] {
        crate.resetModules();
        server.powerCycle(PowerCycleDownMs);
    });
    if (options.faultCommands)
        commands.enableFaultCommands(&faults);
    DiscoveryResponder discovery(options.callbackPort);
    if (options.discovery && !discovery.listen(options.address, options.discoveryPort, &error)) {
        printError(error);
        return ExitNetwork;
    }

    std::unique_ptr<SerialModule> serialModule;
    if (options.serialModule) {
        const SerialModule::Settings settings{options.serialFaults, options.serialNoise,
                                              options.serialStartInBootloader};
        serialModule = std::make_unique<SerialModule>(CrateDescription::defaultModule(SerialModuleAddress),
                                                      clock, settings);
        if (!serialModule->open(&error)) {
            printError(error);
            return ExitNetwork;
        }
        std::printf("serial module on %s\n", qPrintable(serialModule->portPath()));
        std::fflush(stdout);
    }

    log.event(QStringLiteral("listening on %1:%2").arg(options.address.toString()).arg(server.port()));
    return app.exec();
}
