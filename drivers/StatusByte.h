#pragma once

#include <cstdint>
#include <cstring>

/// Byte access shared by the SSPD modules' status flag records. `Status` is a one-byte record of
/// bit-fields deriving from this class; a channel operates when the bits under `OperateMask`
/// read `OperateBits`.
template <typename Status, std::uint8_t OperateMask, std::uint8_t OperateBits> struct StatusByte
{
    /// Bits that switch the channel's pulse chain on; cleared together when it is switched off.
    static constexpr std::uint8_t PulseChainBits = OperateBits;

    static Status fromByte(std::uint8_t byte)
    {
        Status status;
        std::memcpy(static_cast<void *>(&status), &byte, sizeof byte);
        return status;
    }
    std::uint8_t toByte() const
    {
        std::uint8_t byte;
        std::memcpy(&byte, static_cast<const Status *>(this), sizeof byte);
        return byte;
    }
    /// True when the channel is biased and counting (short off, whole pulse chain on).
    bool isOperating() const { return (toByte() & OperateMask) == OperateBits; }

    friend bool operator==(const Status &a, const Status &b) { return a.toByte() == b.toByte(); }
    friend bool operator!=(const Status &a, const Status &b) { return !(a == b); }
};

/// Status bits driven by the SSPD modules' switch properties; bit 3 is the RF key on
/// modification 0 and the high-frequency mode on modification 1.
namespace SspdStatusBit {
constexpr int Short = 1;
constexpr int Amplifier = 2;
constexpr int RfKeyOrHighFrequency = 3;
constexpr int CmpLatch = 4;
constexpr int Counter = 5;
constexpr int AutoReset = 6;
} // namespace SspdStatusBit
