#pragma once

#include "cOrvexProtocolPC.h"
#include "cOrvexStreamReceiver.h"

#include <QByteArray>
#include <QList>

/// Turns the byte stream of a serial line into whole, checked messages. Frames may arrive in
/// any number of pieces, several in one piece, or behind noise; damaged, overlong and malformed
/// frames are dropped. The assembler has its own codec, so frames built for sending elsewhere
/// never disturb a reply that is half received.
class vtFrameAssembler
{
public:
    struct Message
    {
        quint8 address = 0;
        quint8 command = 0;
        QByteArray data; ///< dataLength bytes, a copy that outlives the next received byte
    };

    /// Takes the next received bytes; returns the messages they complete, in order.
    QList<Message> feed(const QByteArray &bytes);
    /// Forgets a partly received frame (a port that was just opened starts afresh).
    void clear() { m_codec.clearBuffer(); }

private:
    cOrvexProtocolPC m_codec;
    cOrvexStreamReceiver m_receiver{m_codec};
};
