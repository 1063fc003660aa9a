#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// The resident bootloader of a module on a serial line: the ASCII command protocol ("Init",
/// "G", "C", "D", "P" + 128 bytes + CRC-32, "S"), two-byte replies "Ok" / "Er", and a flash that
/// keeps the written image. Bytes that start no command are dropped one by one, as line noise.
class SimulatedBootloader
{
public:
    static constexpr int BlockSize = 128;                ///< image bytes per "P" command
    static constexpr int PacketSize = 1 + BlockSize + 4; ///< "P", block, CRC-32
    static constexpr int FlashSize = 112 * 1024;         ///< bytes of application flash
    static constexpr int InfoSettleMs = 20;              ///< pause inside the information reply

    /// Misbehaviour on request; the defaults are a healthy module.
    struct Faults
    {
        int crcErrorBlock = -1; ///< this block (counted from 0) is answered "Er" ...
        int crcErrorTimes = 1;  ///< ... this many times before it is taken
        int silentInits = 0;    ///< the first N "Init" get no answer; -1: none ever does
        int eraseMs = 20;       ///< time an erase takes before "Ok"
    };

    /// One reply, written `delayMs` after the previous one.
    struct Reply
    {
        QByteArray bytes;
        int delayMs = 0;
    };

    explicit SimulatedBootloader(const Faults &faults);

    /// Takes received bytes; returns the replies they call for, in order.
    QList<Reply> feed(const QByteArray &bytes);
    /// True once "S" started the application; the caller then hands the line to it.
    bool applicationStarted() const { return m_started; }
    /// Entered again after a reboot: the flash keeps its content, the protocol starts afresh.
    void enter();

    /// The application image in flash (erased bytes are 0xFF).
    QByteArray flash() const { return m_flash; }
    /// The version text an image carries after the marker "VTFW:" (up to a zero byte or 32
    /// characters); empty when it has none.
    static QString versionOf(const QByteArray &image);

private:
    /// Handles the command at the start of m_input; false when more bytes are needed.
    bool handleCommand(QList<Reply> &replies);
    Reply writeBlock(const QByteArray &packet);

    Faults m_faults;
    QByteArray m_input;
    QByteArray m_flash;
    int m_writePointer = 0; ///< next block to write
    int m_initsSeen = 0;
    int m_crcErrorsSent = 0;
    bool m_started = false;
};
