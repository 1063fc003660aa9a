#pragma once

#include "OrvexProtocolGlobal.h"
#include "PacketHead.h"

/// Frames module messages for a byte-oriented serial line and takes such frames apart again.
///
/// Frame: start marker 0xF9, then address, command, dataLength, the data bytes and the CRC-32 of
/// those bytes (least significant byte first), each escaped, then end marker 0xFA. Between the
/// markers the values 0xF9 to 0xFB travel as 0xFB followed by the value + 3.
///
/// Everything happens in place in one fixed 256-byte buffer; no call reads or writes outside it,
/// whatever the bytes. The CRC comes from the subclass.
class ORVEXPROTOCOL_EXPORT cAbstractOrvexProtocol
{
public:
    /// Result of encodeBuffer(); the numeric values are part of the interface.
    enum DecodeResult
    {
        DecodeResultOk = 0,               ///< head, data length and data are available
        DecodeResultBadStartOrEscape = 1, ///< no start marker, or 0xFB followed by a wrong byte
        DecodeResultCrcMismatch = 2,      ///< CRC of the unescaped bytes differs from the frame's
        DecodeResultLengthMismatch = 3,   ///< dataLength disagrees with the bytes received
        DecodeResultNoEndMarker = 4       ///< no end marker in the buffer (frame too long)
    };

    static constexpr int kBufferSize = 256; ///< bytes; the largest frame there is
    static constexpr unsigned char kStartMarker = 0xF9;
    static constexpr unsigned char kEndMarker = 0xFA;
    static constexpr unsigned char kEscapeMarker = 0xFB;
    static constexpr unsigned char kEscapeOffset = 3; ///< escaped value = value + 3
    static constexpr int kHeadSize = 3;               ///< address, command, dataLength
    static constexpr int kCrcSize = 4;                ///< bytes of CRC-32 after the data
    /// Frame bytes besides the data when nothing needs escaping: markers, head and CRC.
    static constexpr int kFrameOverhead = 2 + kHeadSize + kCrcSize;

    cAbstractOrvexProtocol();
    virtual ~cAbstractOrvexProtocol();
    cAbstractOrvexProtocol(const cAbstractOrvexProtocol &) = delete;
    cAbstractOrvexProtocol &operator=(const cAbstractOrvexProtocol &) = delete;

    /// CRC-32 of `length` bytes, fresh when `reset` is true, else continued from the last result.
    virtual quint32 crc32Stm32Function(const unsigned char *data, unsigned char length, bool reset) = 0;

    /// Replaces the buffer with the frame of one message. Returns false, and leaves the buffer
    /// zeroed and empty, when the frame would not fit in kBufferSize bytes or `data` is null
    /// with a non-zero `dataLength`; nothing is framed then.
    bool codeData(unsigned char address, unsigned char command, unsigned char dataLength,
                  const unsigned char *data);

    /// Decodes and checks the frame in the buffer (the bytes added since the last clear). On
    /// DecodeResultOk the data bytes start at buffer(), bufferLength() is their count and
    /// headPacket() describes them; on any other result the head is left as it was.
    DecodeResult encodeBuffer();

    /// Address, command and dataLength of the last successfully decoded frame.
    PacketHead headPacket() const { return m_head; }

    unsigned char *buffer() { return m_buffer; }
    const unsigned char *buffer() const { return m_buffer; }

    /// Bytes in the buffer, 0 to kBufferSize.
    int bufferLength() const { return m_bufferLength; }

    void clearBuffer() { m_bufferLength = 0; }

    /// Appends raw bytes; `length` counts modulo 256 (a negative char is 128 to 255 bytes).
    /// Bytes beyond kBufferSize are dropped, so an overlong frame decodes as
    /// DecodeResultNoEndMarker instead of overwriting its own start.
    void addData(const unsigned char *data, char length);

    /// Appends one raw byte; dropped when the buffer is full.
    void addByteToBuffer(unsigned char byte);

    /// Appends one byte escaped (one or two buffer bytes); dropped whole when it does not fit.
    void codeByte(unsigned char byte);

    /// True for the values that must be escaped between the markers (0xF9 to 0xFB).
    static bool needsEscape(unsigned char byte) { return byte >= kStartMarker && byte <= kEscapeMarker; }

private:
    static int escapedSize(unsigned char byte) { return needsEscape(byte) ? 2 : 1; }
    static int frameSize(unsigned char address, unsigned char command, unsigned char dataLength,
                         const unsigned char *data, quint32 crc);
    quint32 messageCrc(unsigned char address, unsigned char command, unsigned char dataLength,
                       const unsigned char *data);
    /// Undoes the escaping in place from the second byte on; the count of plain bytes goes to
    /// `plainLength`. Returns DecodeResultOk when the end marker was reached.
    DecodeResult unescape(int &plainLength);

    unsigned char m_buffer[kBufferSize]; ///< frame being built or received; decoded data after a decode
    PacketHead m_head;                   ///< head of the last decoded frame
    int m_bufferLength = 0;              ///< bytes in m_buffer, also the write position
};
