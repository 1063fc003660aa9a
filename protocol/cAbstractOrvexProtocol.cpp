#include "cAbstractOrvexProtocol.h"

#include "ProtocolLogging.h"

#include <cstring>

cAbstractOrvexProtocol::cAbstractOrvexProtocol() : m_head{0, 0, 0}
{
    std::memset(m_buffer, 0, sizeof(m_buffer));
}

cAbstractOrvexProtocol::~cAbstractOrvexProtocol() = default;

quint32 cAbstractOrvexProtocol::messageCrc(unsigned char address, unsigned char command,
                                           unsigned char dataLength, const unsigned char *data)
{
    // The head and the first data byte make one full CRC word, so the rest of the data can be
    // continued without the padding of a partial group falling in the middle of the message.
    if (dataLength == 0) {
        const unsigned char head[kHeadSize] = {address, command, dataLength};
        return crc32Stm32Function(head, kHeadSize, true);
    }
    const unsigned char firstWord[kHeadSize + 1] = {address, command, dataLength, data[0]};
    quint32 crc = crc32Stm32Function(firstWord, kHeadSize + 1, true);
    if (dataLength > 1)
        crc = crc32Stm32Function(data + 1, dataLength - 1, false);
    return crc;
}

int cAbstractOrvexProtocol::frameSize(unsigned char address, unsigned char command, unsigned char dataLength,
                                      const unsigned char *data, quint32 crc)
{
    int size = 2 + escapedSize(address) + escapedSize(command) + escapedSize(dataLength);
    for (int i = 0; i < dataLength; ++i)
        size += escapedSize(data[i]);
    for (int i = 0; i < kCrcSize; ++i)
        size += escapedSize(static_cast<unsigned char>(crc >> (8 * i)));
    return size;
}

bool cAbstractOrvexProtocol::codeData(unsigned char address, unsigned char command, unsigned char dataLength,
                                      const unsigned char *data)
{
    const bool dataMissing = dataLength > 0 && data == nullptr;
    // Cheap rejection before the CRC: even unescaped, the frame would not fit.
    const bool surelyTooLong = kFrameOverhead + dataLength > kBufferSize;
    quint32 crc = 0;
    if (!dataMissing && !surelyTooLong) {
        crc = messageCrc(address, command, dataLength, data);
        if (frameSize(address, command, dataLength, data, crc) <= kBufferSize) {
            clearBuffer();
            addByteToBuffer(kStartMarker);
            codeByte(address);
            codeByte(command);
            codeByte(dataLength);
            for (int i = 0; i < dataLength; ++i)
                codeByte(data[i]);
            for (int i = 0; i < kCrcSize; ++i)
                codeByte(static_cast<unsigned char>(crc >> (8 * i)));
            addByteToBuffer(kEndMarker);
            return true;
        }
    }
    // Nothing of an earlier frame may stay behind to be sent in place of this one.
    std::memset(m_buffer, 0, sizeof(m_buffer));
    clearBuffer();
    qCWarning(lcProtocol) << "message not framed: address" << address << "command" << command << "dataLength"
                          << dataLength << (dataMissing ? "without data" : "too long");
    return false;
}

cAbstractOrvexProtocol::DecodeResult cAbstractOrvexProtocol::unescape(int &plainLength)
{
    int write = 0;
    for (int read = 1; read < m_bufferLength; ++read) {
        unsigned char byte = m_buffer[read];
        if (byte == kEndMarker) {
            plainLength = write;
            return DecodeResultOk;
        }
        if (byte == kEscapeMarker) {
            if (++read >= m_bufferLength)
                break; // the frame stops inside an escape: no end marker
            const unsigned char escaped = m_buffer[read];
            if (escaped < kStartMarker + kEscapeOffset || escaped > kEscapeMarker + kEscapeOffset)
                return DecodeResultBadStartOrEscape;
            byte = escaped - kEscapeOffset;
        }
        m_buffer[write++] = byte;
    }
    return DecodeResultNoEndMarker;
}

cAbstractOrvexProtocol::DecodeResult cAbstractOrvexProtocol::encodeBuffer()
{
    if (m_bufferLength == 0 || m_buffer[0] != kStartMarker)
        return DecodeResultBadStartOrEscape;

    int plainLength = 0;
    const DecodeResult unescaped = unescape(plainLength);
    if (unescaped != DecodeResultOk)
        return unescaped;

    // At most kBufferSize - 2 plain bytes, so the CRC length below always fits its byte.
    if (plainLength < kHeadSize || plainLength - m_buffer[2] != kHeadSize + kCrcSize)
        return DecodeResultLengthMismatch;

    const int crcOffset = plainLength - kCrcSize;
    const quint32 received = quint32(m_buffer[crcOffset]) | quint32(m_buffer[crcOffset + 1]) << 8 |
                             quint32(m_buffer[crcOffset + 2]) << 16 | quint32(m_buffer[crcOffset + 3]) << 24;
    if (crc32Stm32Function(m_buffer, static_cast<unsigned char>(crcOffset), true) != received)
        return DecodeResultCrcMismatch;

    m_head = PacketHead{m_buffer[0], m_buffer[1], m_buffer[2]};
    std::memmove(m_buffer, m_buffer + kHeadSize, m_head.dataLength);
    m_bufferLength = m_head.dataLength;
    return DecodeResultOk;
}

void cAbstractOrvexProtocol::addData(const unsigned char *data, char length)
{
    const int count = static_cast<unsigned char>(length);
    if (data == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        addByteToBuffer(data[i]);
}

void cAbstractOrvexProtocol::addByteToBuffer(unsigned char byte)
{
    if (m_bufferLength < kBufferSize)
        m_buffer[m_bufferLength++] = byte;
}

void cAbstractOrvexProtocol::codeByte(unsigned char byte)
{
    if (!needsEscape(byte)) {
        addByteToBuffer(byte);
    } else if (m_bufferLength + 2 <= kBufferSize) {
        addByteToBuffer(kEscapeMarker);
        addByteToBuffer(byte + kEscapeOffset);
    }
}
