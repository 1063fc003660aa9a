#include "SerialModule.h"

#include "ModuleFactory.h"
#include "SimulatedModule.h"

#include <QTimer>

namespace {
// Line noise with every marker value in it, so a receiver must resynchronise on the real frame.
const QByteArray NoiseBytes = QByteArrayLiteral("\x00\xFA\x55\xFB\x13\xF9\x42");
} // namespace

SerialModule::SerialModule(const ModuleDescription &description, const SimClock &clock,
                           const Settings &settings, QObject *parent)
    : QObject(parent), m_description(description), m_clock(clock), m_settings(settings),
      m_module(ModuleFactory::create(description, clock, m_cryostat)), m_bootloader(settings.faults),
      m_inBootloader(settings.startInBootloader)
{
    m_clockForWrites.start();
    connect(&m_line, &PseudoTerminal::received, this, &SerialModule::received);
}

SerialModule::~SerialModule() = default;

bool SerialModule::open(QString *error)
{
    return m_line.open(error);
}

void SerialModule::received(const QByteArray &bytes)
{
    if (m_inBootloader) {
        for (const SimulatedBootloader::Reply &reply : m_bootloader.feed(bytes))
            send(reply.bytes, reply.delayMs);
        if (m_bootloader.applicationStarted())
            startApplication();
        return;
    }
    for (const char byte : bytes) {
        if (!m_receiver.pushByte(static_cast<unsigned char>(byte)))
            continue;
        const PacketHead head = m_receiveCodec.headPacket();
        handleMessage(head.address, head.command,
                      QByteArray(reinterpret_cast<const char *>(m_receiveCodec.buffer()), head.dataLength));
        if (m_inBootloader)
            return; // the rest of the read is the bootloader's, and it drops what came with the reboot
    }
}

void SerialModule::handleMessage(quint8 address, quint8 command, const QByteArray &data)
{
    if (address != m_description.address && address != BroadcastAddress)
        return;
    const std::optional<QByteArray> reply = m_module->handleRequest(command, data);
    if (!reply)
        return;
    const auto *bytes = reinterpret_cast<const unsigned char *>(reply->constData());
    if (!m_sendCodec.codeData(static_cast<unsigned char>(m_description.address), command,
                              static_cast<unsigned char>(reply->size()), bytes))
        return;
    QByteArray frame(reinterpret_cast<const char *>(m_sendCodec.buffer()), m_sendCodec.bufferLength());
    send(m_settings.noise ? NoiseBytes + frame : frame);
    if (command == SimulatedModule::CodeReboot) {
        m_inBootloader = true;
        m_bootloader.enter();
        if (m_settings.noise)
            send(NoiseBytes); // what a restarting controller puts on the line
    }
}

void SerialModule::startApplication()
{
    m_inBootloader = false;
    const QString version = SimulatedBootloader::versionOf(m_bootloader.flash());
    if (!version.isEmpty())
        m_description.firmware = version;
    m_module = ModuleFactory::create(m_description, m_clock, m_cryostat);
}

void SerialModule::send(const QByteArray &bytes, int delayMs)
{
    const qint64 now = m_clockForWrites.elapsed();
    const qint64 due = std::max(now, m_lastWriteDueMs) + delayMs;
    m_lastWriteDueMs = due;
    if (due == now && m_delayedWrites == 0) {
        m_line.write(bytes);
        return;
    }
    ++m_delayedWrites;
    QTimer::singleShot(static_cast<int>(due - now), Qt::PreciseTimer, this, [this, bytes] {
        --m_delayedWrites;
        m_line.write(bytes);
    });
}
