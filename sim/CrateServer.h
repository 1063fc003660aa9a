#pragma once

#include "ReplyShaper.h"

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class ConsoleLog;
class SimulatedCrate;
class TextCommandHandler;

/// The crate's TCP port: accepts clients and gives each its own CrateConnection.
class CrateServer : public QObject
{
    Q_OBJECT
public:
    CrateServer(SimulatedCrate &crate, TextCommandHandler &commands, const ConsoleLog &log,
                const ReplyShaper::Settings &shaping, QObject *parent = nullptr);

    /// Starts listening (port 0: any free port); false with `error` set when it cannot.
    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const { return m_server.serverPort(); }

    /// Drops every client and refuses new ones for `downMs` ms, then listens on the same
    /// address and port again.
    void powerCycle(int downMs);

private:
    void acceptConnections();

    QTcpServer m_server;
    SimulatedCrate &m_crate;
    TextCommandHandler &m_commands;
    const ConsoleLog &m_log;
    ReplyShaper::Settings m_shaping;
};
