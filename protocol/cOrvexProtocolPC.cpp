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
    // Each word is read little-endian, as the CRC unit sees a word stored in memory.
    const auto wordAt = [](const unsigned char *bytes, int count) {
        quint32 word = 0;
        for (int i = count - 1; i >= 0; --i)
            word = word << 8 | bytes[i];
        return word;
    };
    for (int w = 0; w < fullWords; ++w)
        feedWord(crc, wordAt(data + w * kWordSize, kWordSize));
    // A partial word is padded with zero bytes after the data, which then go in first.
    if (tail > 0)
        feedWord(crc, wordAt(data + fullWords * kWordSize, tail));
    m_crcState = ~crc;
    return m_crcState;
}
