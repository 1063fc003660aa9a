#pragma once

#include "FirmwareUpdateClient.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

class ConsoleLog;
class FaultCommands;
class SimulatedCrate;

/// The crate's own line commands ("SYST:..."): module list queries and edits, resets,
/// power-off, lock and firmware update. Returns the reply line without its "\r\n".
class TextCommandHandler
{
public:
    /// `legacy`: an older crate without the JSON module list. A command that starts with one of
    /// `failingPrefixes` answers "ERROR" and is not carried out.
    TextCommandHandler(SimulatedCrate &crate, bool legacy, const QStringList &failingPrefixes);

    /// `peer` is the program that sent the line; a firmware update connects back to it.
    QString reply(const QString &line, const QHostAddress &peer = {});

    /// How "SYST:UPDT" plays the crate's side of the update; without it the crate only says "ok".
    void enableFirmwareUpdates(const FirmwareUpdateClient::Settings &settings, const ConsoleLog *log);
    /// Lines starting "SIM:" go to `faults` (not owned); without it they are unknown commands.
    void enableFaultCommands(FaultCommands *faults) { m_faults = faults; }

private:
    QString execute(const QString &command, const QHostAddress &peer);
    void startUpdate(int address, const QHostAddress &peer);
    static bool parseAddress(const QString &text, int *address);

    SimulatedCrate &m_crate;
    bool m_legacy;
    QStringList m_failingPrefixes;
    FirmwareUpdateClient::Settings m_updates;
    const ConsoleLog *m_updateLog = nullptr; ///< set when updates are played
    FaultCommands *m_faults = nullptr;
};
