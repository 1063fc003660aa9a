#include "cOrvexProtocolPC.h"

namespace {
constexpr int kWordSize = 4; ///< bytes the CRC unit takes per step
}

cOrvexProtocolPC::cOrvexProtocolPC()
{
    for (quint32 i = 0; i < 256; ++i) {
        quint32 entry = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            entry = (entry & 0x80000000u) ? (entry << 1) ^ kPolynomial : entry << 1;
        m_table[i] = entry;
    }
}

cOrvexProtocolPC::~cOrvexProtocolPC() = default;

cOrvexProtocolPC *cOrvexProtocolPC::instance()
{
    // A function-local static is initialised exactly once even when threads race for it.
    static cOrvexProtocolPC codec;
    return &codec;
}

quint32 cOrvexProtocolPC::crc32stm32(const unsigned char *data, unsigned char length, bool reset)
{
    return crc32Stm32Function(data, length, reset);
}

quint32 cOrvexProtocolPC::crc32Stm32Function(const unsigned char *data, unsigned char length, bool reset)
{
    quint32 crc = reset ? kCrcInitial : ~m_crcState;
    const int fullWords = data ? length / kWordSize : 0;
    const int tail = data ? length % kWordSize : 0;
    // Each word is read little-endian and fed most significant byte first.
    for (int w = 0; w < fullWords; ++w) {
        const unsigned char *word = data + w * kWordSize;
        feedByte(crc, word[3]);
        feedByte(crc, word[2]);
        feedByte(crc, word[1]);
        feedByte(crc, word[0]);
    }
    if (tail > 0) {
        // The partial word is padded with zero bytes after the data, which then go in first.
        const unsigned char *word = data + fullWords * kWordSize;
        for (int pad = tail; pad < kWordSize; ++pad)
            feedByte(crc, 0);
        for (int i = tail - 1; i >= 0; --i)
            feedByte(crc, word[i]);
    }
    m_crcState = ~crc;
    return m_crcState;
}
