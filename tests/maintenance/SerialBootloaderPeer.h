#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <thread>

/// A module's resident bootloader on the far end of a pseudo-terminal, running on a thread of its own
/// because the bootloader client blocks the thread that drives it. Like the real one it handles one
/// command at a time: while it erases or sends a reply, later commands wait in the line.
class SerialBootloaderPeer
{
public:
    struct Behaviour
    {
        int eraseMs = 20;     ///< from "D" to its "Ok"
        int replyDelayMs = 0; ///< before every other reply
        QByteArray info = "VT4 BL 1.3 build 217";
        int infoByteGapMs = 0; ///< between the bytes of the information text
        int lateBlock = -1;    ///< index of a block whose first "Ok" comes lateBlockMs late
        int lateBlockMs = 0;
    };

    explicit SerialBootloaderPeer(const Behaviour &behaviour);
    ~SerialBootloaderPeer();

    /// Opens the pseudo-terminal and starts answering; false with `error()` when the system has none.
    bool start();
    QString portName() const { return m_slaveName; }
    QString error() const { return m_error; }

    /// Commands in the order handled: "reboot", "Init", "G", "C", "D", "P", "Er" for a block with a bad
    /// checksum, "S", and "?" for a byte that starts no command.
    QStringList commands() const;
    QByteArray flash() const; ///< what the accepted blocks wrote since the last erase

private:
    using Clock = std::chrono::steady_clock;
    struct Chunk
    {
        Clock::time_point at;
        QByteArray bytes;
    };

    void run();
    bool takeCommand(); ///< handles the first complete command in the input, if any
    void handle(const QString &command, const QByteArray &bytes);
    void reply(const QByteArray &bytes, int afterMs);
    void record(const QString &command);

    Behaviour m_behaviour;
    int m_master = -1;
    int m_slave = -1; ///< held open so the line stays up while the client closes and reopens it
    QString m_slaveName;
    QString m_error;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    QByteArray m_input;
    std::deque<Chunk> m_output; ///< replies not yet due; the peer is busy while any is queued
    int m_writePointer = 0;
    bool m_lateBlockSent = false;

    mutable std::mutex m_mutex; ///< guards what the test reads
    QStringList m_commands;
    QByteArray m_flash;
};
