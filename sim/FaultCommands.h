#pragma once

#include <QString>
#include <functional>

class SimulatedCrate;

/// Faults a test switches on while the crate runs, as line commands on the crate's own port
/// (only with --fault-commands): "SIM:SILENT n" makes module n stop answering, "SIM:ANSWER n"
/// lets it answer again, "SIM:POWERCYCLE" resets every module and drops every client, as a crate
/// that loses its power for a moment. Replies "ok", "ERROR" for a bad address, "UNKNOWN COMMAND".
class FaultCommands
{
public:
    /// Carried out after the reply has gone: resets the modules and drops the clients.
    using PowerCycle = std::function<void()>;

    FaultCommands(SimulatedCrate &crate, PowerCycle powerCycle);

    static bool isFaultCommand(const QString &command);
    QString reply(const QString &command);

private:
    SimulatedCrate &m_crate;
    PowerCycle m_powerCycle;
};
