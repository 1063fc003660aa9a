#include "SerialBootloaderPeer.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {
constexpr int BlockBytes = 128;
constexpr int PacketBytes = 1 + BlockBytes + 4;
constexpr int IdlePollMs = 5; ///< longest sleep of the peer's loop, so it stops promptly
constexpr char FrameStart = char(0xF9);
constexpr char FrameEnd = char(0xFA);

/// The checksum the module computes over a block: the CRC unit of an STM32 fed little-endian words,
/// bit by bit (independent of the program's table-driven codec).
quint32 blockChecksum(const QByteArray &block)
{
    quint32 reg = 0xFFFFFFFF;
    for (int i = 0; i + 4 <= block.size(); i += 4) {
        quint32 word = 0;
        for (int b = 3; b >= 0; --b)
            word = (word << 8) | quint8(block[i + b]);
        reg ^= word;
        for (int bit = 0; bit < 32; ++bit)
            reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
    }
    return ~reg;
}
} // namespace

SerialBootloaderPeer::SerialBootloaderPeer(const Behaviour &behaviour) : m_behaviour(behaviour) {}

SerialBootloaderPeer::~SerialBootloaderPeer()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool SerialBootloaderPeer::start()
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    char name[64] = {};
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
        ::ptsname_r(m_master, name, sizeof name) != 0) {
        m_error = QString("no pseudo-terminal: %1").arg(std::strerror(errno));
        return false;
    }
    m_slaveName = QString::fromLocal8Bit(name);
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    termios raw{};
    if (m_slave < 0 || ::tcgetattr(m_slave, &raw) != 0) {
        m_error = QString("cannot open %1: %2").arg(m_slaveName, std::strerror(errno));
        return false;
    }
    ::cfmakeraw(&raw); // no echo: the client's bytes must not come back to it
    ::tcsetattr(m_slave, TCSANOW, &raw);
    m_thread = std::thread([this] { run(); });
    return true;
}

QStringList SerialBootloaderPeer::commands() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_commands;
}

QByteArray SerialBootloaderPeer::flash() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_flash;
}

void SerialBootloaderPeer::run()
{
    while (!m_stop) {
        const auto now = Clock::now();
        while (!m_output.empty() && m_output.front().at <= now) {
            const QByteArray &bytes = m_output.front().bytes;
            if (!bytes.isEmpty() && ::write(m_master, bytes.constData(), size_t(bytes.size())) < 0)
                return;
            m_output.pop_front();
        }
        if (m_output.empty() && takeCommand())
            continue;
        int waitMs = IdlePollMs;
        if (!m_output.empty()) {
            const auto due = std::chrono::duration_cast<std::chrono::milliseconds>(m_output.front().at - now);
            waitMs = int(std::max<long long>(0, std::min<long long>(due.count(), IdlePollMs)));
        }
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, waitMs) > 0 && (fd.revents & POLLIN)) {
            char buffer[512];
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                m_input.append(buffer, int(n));
        }
    }
}

bool SerialBootloaderPeer::takeCommand()
{
    if (m_input.isEmpty())
        return false;
    const char first = m_input.at(0);
    int length = 1;
    QString command;
    if (first == FrameStart) {
        const int end = m_input.indexOf(FrameEnd);
        if (end < 0)
            return false;
        length = end + 1;
        // Address 255, command 11: the common reboot command sent to whatever module is attached.
        command =
            (length > 3 && quint8(m_input[1]) == 0xFF && quint8(m_input[2]) == 0x0B) ? "reboot" : "frame";
    } else if (first == 'I') {
        if (m_input.size() < 4)
            return false;
        command = m_input.startsWith("Init") ? "Init" : "?";
        length = command == "Init" ? 4 : 1;
    } else if (first == 'P') {
        if (m_input.size() < PacketBytes)
            return false;
        length = PacketBytes;
        command = "P";
    } else if (first == 'G' || first == 'C' || first == 'D' || first == 'S') {
        command = QString(QChar(first));
    } else {
        command = "?";
    }
    const QByteArray bytes = m_input.left(length);
    m_input.remove(0, length);
    handle(command, bytes);
    return true;
}

void SerialBootloaderPeer::handle(const QString &command, const QByteArray &bytes)
{
    const QByteArray block = bytes.mid(1, BlockBytes);
    quint32 sum = 0;
    for (int b = 3; command == "P" && b >= 0; --b)
        sum = (sum << 8) | quint8(bytes[1 + BlockBytes + b]);
    if (command == "P" && sum != blockChecksum(block)) {
        record("Er");
        reply("Er", m_behaviour.replyDelayMs);
        return;
    }
    record(command);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (command == "Init" || command == "C" || command == "S") {
        m_writePointer = command == "C" ? 0 : m_writePointer;
        reply("Ok", m_behaviour.replyDelayMs);
    } else if (command == "G") {
        reply({}, m_behaviour.replyDelayMs);
        for (char c : m_behaviour.info)
            reply(QByteArray(1, c), m_behaviour.infoByteGapMs);
    } else if (command == "D") {
        m_flash.clear();
        reply("Ok", m_behaviour.eraseMs);
    } else if (command == "P") {
        m_flash.resize(std::max<int>(m_flash.size(), m_writePointer + BlockBytes));
        m_flash.replace(m_writePointer, BlockBytes, block);
        const bool late = m_writePointer / BlockBytes == m_behaviour.lateBlock && !m_lateBlockSent;
        m_lateBlockSent = m_lateBlockSent || late;
        m_writePointer += BlockBytes;
        reply("Ok", late ? m_behaviour.lateBlockMs : m_behaviour.replyDelayMs);
    } // reboot frames and stray bytes get no answer
}

void SerialBootloaderPeer::reply(const QByteArray &bytes, int afterMs)
{
    const auto base = m_output.empty() ? Clock::now() : m_output.back().at;
    m_output.push_back({base + std::chrono::milliseconds(afterMs), bytes});
}

void SerialBootloaderPeer::record(const QString &command)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.append(command);
}
