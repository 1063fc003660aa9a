#pragma once

#include "cAbstractOrvexProtocol.h"

/// Turns a received byte stream into decoded messages, one byte at a time, assembling frames in
/// a codec's buffer. A start marker begins a new frame (which is how the stream resynchronises
/// after damage); an end marker decodes what came since. Damaged frames are dropped silently.
///
/// Kept in the header so a link can use it without the library exporting more than the codec.
/// Give it a codec that nothing else encodes into while a frame is arriving, or an outgoing frame
/// built in the same buffer replaces the incoming one.
class cOrvexStreamReceiver
{
public:
    explicit cOrvexStreamReceiver(cAbstractOrvexProtocol &codec) : m_codec(codec) {}

    /// Takes the next received byte. Returns true when it completed a valid frame; the codec's
    /// headPacket() and buffer() then hold the message until the next byte is pushed.
    bool pushByte(unsigned char byte)
    {
        // What followed a finished frame is not part of it: without this, stray bytes would be
        // appended to the decoded data and could be decoded together with it.
        if (byte == cAbstractOrvexProtocol::kStartMarker || m_frameFinished)
            m_codec.clearBuffer();
        m_frameFinished = false;
        m_codec.addByteToBuffer(byte);
        if (byte != cAbstractOrvexProtocol::kEndMarker)
            return false;
        m_frameFinished = true;
        m_lastResult = m_codec.encodeBuffer();
        return m_lastResult == cAbstractOrvexProtocol::DecodeResultOk;
    }

    /// Result of the last decode attempt, for diagnostics.
    cAbstractOrvexProtocol::DecodeResult lastResult() const { return m_lastResult; }

private:
    cAbstractOrvexProtocol &m_codec;
    bool m_frameFinished = false; ///< the previous byte was an end marker
    cAbstractOrvexProtocol::DecodeResult m_lastResult = cAbstractOrvexProtocol::DecodeResultOk;
};
