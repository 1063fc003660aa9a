#pragma once

#include "cAbstractOrvexProtocol.h"

#include <cstddef>

/// The PC side of the codec: supplies the CRC-32 computed the way the STM32 CRC unit does it
/// (polynomial 0x04C11DB7, most significant bit first, fed with little-endian 32-bit words).
///
/// The program shares one object through instance(); the RS-485 link and the bootloader use it
/// from one thread, so it is not locked. Separate objects (tests, a receiver that must not share
/// its buffer with outgoing frames) can be made with the constructor.
class ORVEXPROTOCOL_EXPORT cOrvexProtocolPC : public cAbstractOrvexProtocol
{
public:
    static constexpr quint32 kPolynomial = 0x04C11DB7;
    static constexpr quint32 kCrcInitial = 0xFFFFFFFF; ///< register value of a fresh calculation

    cOrvexProtocolPC();
    ~cOrvexProtocolPC() override;

    /// The process-wide object, created on first use (safe from any thread) and destroyed at exit.
    static cOrvexProtocolPC *instance();

    /// CRC of `length` bytes (0 to 255), fresh when `reset` is true, else continued from the last
    /// result. A final group of one to three bytes is padded with zeros, so a continuation equals
    /// one call over the joined bytes only when the earlier parts were multiples of four bytes.
    quint32 crc32stm32(const unsigned char *data, unsigned char length, bool reset);

    quint32 crc32Stm32Function(const unsigned char *data, unsigned char length, bool reset) override;

private:
    /// Feeds one 32-bit word, most significant byte first; XORing the whole word in at once
    /// equals feeding its bytes one by one and keeps the table look-ups in one short chain.
    void feedWord(quint32 &crc, quint32 word) const
    {
        crc ^= word;
        for (std::size_t i = 0; i < sizeof(word); ++i)
            crc = (crc << 8) ^ m_table[crc >> 24];
    }

    quint32 m_table[256];   ///< CRC of each top byte value, built once by the constructor
    quint32 m_crcState = 0; ///< last result, the start of a continued calculation
};
