#include "TextCommandHandler.h"
#include "FaultCommands.h"
#include "SimLogging.h"
#include "SimulatedCrate.h"
#include "SimulatedModule.h"

#include <QJsonDocument>
#include <QRegularExpression>

namespace {
constexpr int MaxBusAddress = 255;
const QString Ok = QStringLiteral("ok");
const QString Error = QStringLiteral("ERROR");
const QString UnknownCommand = QStringLiteral("UNKNOWN COMMAND");
const QString CommandPrefix = QStringLiteral("SYST:");
} // namespace

TextCommandHandler::TextCommandHandler(SimulatedCrate &crate, bool legacy, const QStringList &failingPrefixes)
    : m_crate(crate), m_legacy(legacy), m_failingPrefixes(failingPrefixes)
{
}

bool TextCommandHandler::parseAddress(const QString &text, int *address)
{
    bool ok = false;
    *address = text.toInt(&ok);
    return ok && *address >= 0 && *address <= MaxBusAddress;
}

void TextCommandHandler::enableFirmwareUpdates(const FirmwareUpdateClient::Settings &settings,
                                               const ConsoleLog *log)
{
    m_updates = settings;
    m_updateLog = log;
}

QString TextCommandHandler::reply(const QString &line, const QHostAddress &peer)
{
    const QString command = line.trimmed();
    if (m_faults && FaultCommands::isFaultCommand(command))
        return m_faults->reply(command);
    if (command.startsWith(CommandPrefix)) {
        for (const QString &prefix : std::as_const(m_failingPrefixes)) {
            if (command.startsWith(prefix))
                return Error;
        }
    }
    return execute(command, peer);
}

QString TextCommandHandler::execute(const QString &command, const QHostAddress &peer)
{
    static const QRegularExpression WithArgument(QStringLiteral("^(SYST:[A-Z:]+) +(\\S+)$"));
    if (command == QLatin1String("SYST:DEVJ?")) {
        if (m_legacy)
            return UnknownCommand;
        return QString::fromUtf8(QJsonDocument(m_crate.moduleListJson()).toJson(QJsonDocument::Compact));
    }
    if (command == QLatin1String("SYST:DEVL?"))
        return m_crate.moduleListText();
    if (command == QLatin1String("SYST:DEVL:SAVE")) {
        QString error;
        if (m_crate.saveModuleList(&error))
            return Ok;
        qCWarning(lcSim).noquote() << error;
        return Error;
    }
    if (command == QLatin1String("SYST:URES") || command == QLatin1String("SYST:SRES") ||
        command == QLatin1String("SYST:POFF")) {
        // Resetting the modules and cycling their power look the same from the bus.
        m_crate.resetModules();
        return Ok;
    }

    const QRegularExpressionMatch match = WithArgument.match(command);
    if (!match.hasMatch())
        return UnknownCommand;
    const QString name = match.captured(1);
    int value = 0;
    const bool valid = parseAddress(match.captured(2), &value);
    if (name == QLatin1String("SYST:DEVL:ADD") || name == QLatin1String("SYST:DEVL:REMV")) {
        if (!valid)
            return Error;
        if (name.endsWith(QLatin1String("ADD")))
            m_crate.addModule(value);
        else
            m_crate.removeModule(value);
        return Ok;
    }
    if (name == QLatin1String("SYST:LOCK"))
        return valid ? Ok : Error;
    if (name == QLatin1String("SYST:UPDT")) { // only a module that is there can be updated
        if (!valid || !m_crate.module(value))
            return Error;
        startUpdate(value, peer);
        return Ok;
    }
    return UnknownCommand;
}

void TextCommandHandler::startUpdate(int address, const QHostAddress &peer)
{
    if (!m_updateLog || peer.isNull())
        return;
    // The module is looked up again at the end: it may have been removed meanwhile.
    FirmwareUpdateClient::start(peer, address, m_updates, *m_updateLog,
                                [this, address](const QString &version) {
                                    if (SimulatedModule *module = m_crate.module(address))
                                        module->setFirmware(version);
                                });
}
