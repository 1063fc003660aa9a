#pragma once

#include <QMetaType>
#include <type_traits>

/// The relay byte of the four-channel temperature module. Bits 0..3 are the states of relays
/// 1..4 (1 = energised); bits 4..7 are the change mask of a write: only relays whose mask bit
/// is set are changed by the module.
class cRelaysStatus
{
public:
    /// Relays are numbered from 1.
    enum RelayIndex : unsigned char
    {
        RelayIndex1 = 1,
        RelayIndex2 = 2,
        RelayIndex3 = 3,
        RelayIndex4 = 4
    };
    static constexpr int RelayCount = 4;

    cRelaysStatus() = default;
    /// mask × 16 + state.
    cRelaysStatus(RelayIndex mask, RelayIndex state) { setStatus(mask, state); }

    unsigned char status() const { return m_value; }
    void setStatus(const unsigned char &value) { m_value = value; }
    /// mask × 16 + state.
    void setStatus(const unsigned char &mask, const unsigned char &state)
    {
        m_value = static_cast<unsigned char>(mask * 16 + state);
    }
    cRelaysStatus &operator=(const unsigned char &value)
    {
        m_value = value;
        return *this;
    }
    /// Bit `bit` (0..7) of the byte; 0 for any other bit number.
    int operator[](int bit) const { return bit >= 0 && bit < 8 ? (m_value >> bit) & 1 : 0; }
    /// Drops the change mask, keeping the relay states.
    void clearMask() { m_value &= 0x0F; }
    /// Marks relay `relay` (1..4) for change and sets its state; other relay numbers leave the
    /// byte as it is. Returns the new byte.
    unsigned char setValue(unsigned char relay, bool on)
    {
        if (relay < 1 || relay > RelayCount)
            return m_value;
        const auto stateBit = static_cast<unsigned char>(1u << (relay - 1));
        m_value |= static_cast<unsigned char>(stateBit << 4);
        m_value = on ? (m_value | stateBit) : (m_value & ~stateBit);
        return m_value;
    }

private:
    unsigned char m_value = 0;
};

inline bool operator==(const cRelaysStatus &a, const cRelaysStatus &b)
{
    return a.status() == b.status();
}
inline bool operator!=(const cRelaysStatus &a, const cRelaysStatus &b)
{
    return !(a == b);
}

static_assert(sizeof(cRelaysStatus) == 1, "the relay byte travels as one byte");
static_assert(std::is_trivially_copyable_v<cRelaysStatus>, "travels by memory image");

Q_DECLARE_METATYPE(cRelaysStatus)
