#pragma once

#include "CrateStreamParser.h"
#include "ReplyShaper.h"

#include <QObject>

class ConsoleLog;
class QTcpSocket;
class SimulatedCrate;
class TextCommandHandler;

/// One client of the crate: reads its socket, hands text lines to the command handler and
/// module messages to the crate, and writes the replies through a ReplyShaper. Deletes itself
/// when the client goes away (or is dropped for sending garbage).
class CrateConnection : public QObject
{
    Q_OBJECT
public:
    /// Takes ownership of `socket`; the crate, handler and log must outlive the connection.
    CrateConnection(QTcpSocket *socket, SimulatedCrate &crate, TextCommandHandler &commands,
                    const ConsoleLog &log, const ReplyShaper::Settings &shaping, QObject *parent = nullptr);

    /// Cuts the client off at once, as a crate that loses power does.
    void drop();

private:
    void readIncoming();
    void handleItem(const CrateStreamParser::Item &item);
    void writeSegment(const QByteArray &segment);
    void closed();

    QTcpSocket *m_socket;
    SimulatedCrate &m_crate;
    TextCommandHandler &m_commands;
    const ConsoleLog &m_log;
    ReplyShaper m_shaper;
    CrateStreamParser m_parser;
    QString m_peer; ///< "address:port" of the client
};
