#include "vtFrameAssembler.h"

QList<vtFrameAssembler::Message> vtFrameAssembler::feed(const QByteArray &bytes)
{
    QList<Message> messages;
    for (const char byte : bytes) {
        if (!m_receiver.pushByte(static_cast<unsigned char>(byte)))
            continue;
        const PacketHead head = m_codec.headPacket();
        messages.append({head.address, head.command,
                         QByteArray(reinterpret_cast<const char *>(m_codec.buffer()), head.dataLength)});
    }
    return messages;
}
