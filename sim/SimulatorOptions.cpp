#include "SimulatorOptions.h"

#include <QCommandLineParser>

#include <cmath>

namespace {
constexpr int MaxBusAddress = 255;
constexpr int MaxDelayMs = 60000; ///< longer delays only make a test hang
constexpr int MaxSplitBytes = 65536;
constexpr int MaxBlocks = 1000000; ///< bound of the serial module's block and retry counts
const QString SilentAll = QStringLiteral("all");

bool parsePort(const QString &text, quint16 *port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value > 65535)
        return false;
    *port = static_cast<quint16>(value);
    return true;
}

bool parseBoundedInt(const QString &text, int low, int high, int *value)
{
    bool ok = false;
    const int parsed = text.toInt(&ok);
    if (!ok || parsed < low || parsed > high)
        return false;
    *value = parsed;
    return true;
}
} // namespace

bool SimulatorOptions::parseAddressList(const QString &text, QSet<int> *addresses)
{
    const QStringList parts = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        return false;
    for (const QString &part : parts) {
        int address = 0;
        if (!parseBoundedInt(part.trimmed(), 0, MaxBusAddress, &address))
            return false;
        addresses->insert(address);
    }
    return true;
}

bool SimulatorOptions::parseUpdateFault(const QString &text)
{
    using Fault = FirmwareUpdateClient::Fault;
    const QString name = text.section(QLatin1Char(':'), 0, 0);
    static const QList<QPair<QString, Fault>> faults{{QString(), Fault::None},
                                                     {QStringLiteral("no-connect"), Fault::NoConnect},
                                                     {QStringLiteral("drop"), Fault::Drop},
                                                     {QStringLiteral("stall"), Fault::Stall},
                                                     {QStringLiteral("error"), Fault::Error}};
    for (const auto &fault : faults) {
        if (fault.first == name) {
            update.fault = fault.second;
            const QString errorText = text.section(QLatin1Char(':'), 1);
            if (!errorText.isEmpty())
                update.errorText = errorText;
            return true;
        }
    }
    return false;
}

bool SimulatorOptions::parse(const QStringList &arguments, QString *error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption addressOption("address", "Listen address.", "A", "127.0.0.1");
    const QCommandLineOption portOption("port", "TCP port (0: any free port).", "P", "9876");
    const QCommandLineOption crateOption("crate", "JSON crate description.", "FILE");
    const QCommandLineOption stateOption("state", "Persistent state file.", "FILE");
    const QCommandLineOption verboseOption("verbose", "Print connection and command lines.");
    const QCommandLineOption verboseModulesOption("verbose-modules", "Also print module traffic.");
    const QCommandLineOption discoveryOption("discovery", "Answer discovery datagrams.");
    const QCommandLineOption discoveryPortOption("discovery-port", "UDP discovery port.", "N", "9877");
    const QCommandLineOption callbackPortOption("callback-port", "TCP call-back port.", "N", "9878");
    const QCommandLineOption delayOption("delay-ms", "Delay every module reply (ms).", "N", "0");
    const QCommandLineOption silentOption("silent", "Modules that never answer, or 'all'.", "ADDRS");
    const QCommandLineOption splitOption("split", "Write replies in segments of N bytes.", "N", "0");
    const QCommandLineOption coalesceOption("coalesce", "Write several replies together.");
    const QCommandLineOption garbleOption("garble", "Garble the replies of these modules.", "ADDRS");
    const QCommandLineOption legacyOption("legacy", "Behave as an older crate (no JSON list).");
    const QCommandLineOption failOption("fail-command", "SYST command prefix that fails.", "TEXT");
    const QCommandLineOption timeScaleOption("time-scale", "Simulated seconds per second.", "X", "1");
    const QCommandLineOption faultCommandsOption("fault-commands", "Accept the SIM: fault commands.");
    parser.addOptions({addressOption, portOption, crateOption, stateOption, verboseOption,
                       verboseModulesOption, discoveryOption, discoveryPortOption, callbackPortOption,
                       delayOption, silentOption, splitOption, coalesceOption, garbleOption, legacyOption,
                       failOption, timeScaleOption, faultCommandsOption});
    const QCommandLineOption serialOption("serial-module", "Also play a module on a pseudo-terminal.");
    const QCommandLineOption serialNoiseOption("serial-noise", "Noise bytes on the serial line.");
    const QCommandLineOption serialBootOption("serial-in-bootloader",
                                              "The serial module starts in its bootloader.");
    const QCommandLineOption crcErrorOption("serial-crc-error", "Answer block N (from 0) \"Er\".", "N", "-1");
    const QCommandLineOption crcTimesOption("serial-crc-error-times", "How often block N is refused.", "K",
                                            "1");
    const QCommandLineOption silentInitOption("serial-silent-init",
                                              "Leave the first N \"Init\" unanswered, or 'all'.", "N", "0");
    const QCommandLineOption eraseOption("serial-erase-ms", "Time an erase takes (ms).", "N", "20");
    parser.addOptions({serialOption, serialNoiseOption, serialBootOption, crcErrorOption, crcTimesOption,
                       silentInitOption, eraseOption});
    const QCommandLineOption updatePortOption("update-port", "Program's firmware file server port.", "N",
                                              "9879");
    const QCommandLineOption updateStepOption("update-step-ms", "Time between update progress reports.", "N",
                                              "250");
    const QCommandLineOption updateFaultOption(
        "update-fault", "Firmware update fault: no-connect, drop, stall, or error[:TEXT].", "F");
    parser.addOptions({updatePortOption, updateStepOption, updateFaultOption});
    parser.addHelpOption();

    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        *error = parser.helpText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        *error = QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().first());
        return false;
    }

    address = QHostAddress(parser.value(addressOption));
    if (address.isNull()) {
        *error = QStringLiteral("invalid --address: %1").arg(parser.value(addressOption));
        return false;
    }
    if (!parsePort(parser.value(portOption), &port) ||
        !parsePort(parser.value(discoveryPortOption), &discoveryPort) ||
        !parsePort(parser.value(callbackPortOption), &callbackPort)) {
        *error = QStringLiteral("invalid port number");
        return false;
    }
    crateFile = parser.value(crateOption);
    stateFile = parser.value(stateOption);
    verbose = parser.isSet(verboseOption);
    verboseModules = parser.isSet(verboseModulesOption);
    discovery = parser.isSet(discoveryOption);
    coalesce = parser.isSet(coalesceOption);
    legacy = parser.isSet(legacyOption);
    failCommands = parser.values(failOption);
    faultCommands = parser.isSet(faultCommandsOption);

    if (!parseBoundedInt(parser.value(delayOption), 0, MaxDelayMs, &delayMs)) {
        *error = QStringLiteral("invalid --delay-ms: %1").arg(parser.value(delayOption));
        return false;
    }
    if (!parseBoundedInt(parser.value(splitOption), 0, MaxSplitBytes, &splitBytes)) {
        *error = QStringLiteral("invalid --split: %1").arg(parser.value(splitOption));
        return false;
    }
    for (const QString &value : parser.values(silentOption)) {
        if (value.trimmed() == SilentAll)
            allSilent = true;
        else if (!parseAddressList(value, &silentAddresses)) {
            *error = QStringLiteral("invalid --silent: %1").arg(value);
            return false;
        }
    }
    for (const QString &value : parser.values(garbleOption)) {
        if (!parseAddressList(value, &garbledAddresses)) {
            *error = QStringLiteral("invalid --garble: %1").arg(value);
            return false;
        }
    }
    serialModule = parser.isSet(serialOption);
    serialNoise = parser.isSet(serialNoiseOption);
    serialStartInBootloader = parser.isSet(serialBootOption);
    const bool silentInitAll = parser.value(silentInitOption) == SilentAll;
    if (silentInitAll)
        serialFaults.silentInits = -1;
    if (!parseBoundedInt(parser.value(crcErrorOption), -1, MaxBlocks, &serialFaults.crcErrorBlock) ||
        !parseBoundedInt(parser.value(crcTimesOption), 0, MaxBlocks, &serialFaults.crcErrorTimes) ||
        (!silentInitAll &&
         !parseBoundedInt(parser.value(silentInitOption), 0, MaxBlocks, &serialFaults.silentInits)) ||
        !parseBoundedInt(parser.value(eraseOption), 0, MaxDelayMs, &serialFaults.eraseMs)) {
        *error = QStringLiteral("invalid serial module fault setting");
        return false;
    }
    if (!parsePort(parser.value(updatePortOption), &update.port) ||
        !parseBoundedInt(parser.value(updateStepOption), 1, MaxDelayMs, &update.stepMs) ||
        !parseUpdateFault(parser.value(updateFaultOption))) {
        *error = QStringLiteral("invalid firmware update option");
        return false;
    }
    bool ok = false;
    timeScale = parser.value(timeScaleOption).toDouble(&ok);
    if (!ok || !std::isfinite(timeScale) || timeScale <= 0) {
        *error = QStringLiteral("invalid --time-scale: %1").arg(parser.value(timeScaleOption));
        return false;
    }
    return true;
}
