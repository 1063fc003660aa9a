#include "SimulatedBootloader.h"

#include "cOrvexProtocolPC.h"

#include <QtEndian>

namespace {
const QByteArray InitCommand = QByteArrayLiteral("Init");
const QByteArray Ok = QByteArrayLiteral("Ok");
const QByteArray Error = QByteArrayLiteral("Er");
const QByteArray InfoText = QByteArrayLiteral("VT4 bootloader 2.0, flash 112 KiB");
const QByteArray VersionMarker = QByteArrayLiteral("VTFW:");
constexpr int MaxVersionLength = 32;
constexpr char ErasedByte = '\xFF';
} // namespace

SimulatedBootloader::SimulatedBootloader(const Faults &faults)
    : m_faults(faults), m_flash(FlashSize, ErasedByte)
{
}

void SimulatedBootloader::enter()
{
    m_input.clear();
    m_writePointer = 0;
    m_started = false;
}

QList<SimulatedBootloader::Reply> SimulatedBootloader::feed(const QByteArray &bytes)
{
    QList<Reply> replies;
    m_input.append(bytes);
    while (!m_input.isEmpty() && !m_started && handleCommand(replies)) {
    }
    if (m_started)
        m_input.clear();
    return replies;
}

bool SimulatedBootloader::handleCommand(QList<Reply> &replies)
{
    switch (m_input.at(0)) {
    case 'I':
        if (m_input.size() < InitCommand.size() && InitCommand.startsWith(m_input))
            return false;
        if (!m_input.startsWith(InitCommand))
            break; // noise
        m_input.remove(0, InitCommand.size());
        ++m_initsSeen;
        if (m_faults.silentInits >= 0 && m_initsSeen > m_faults.silentInits)
            replies.append({Ok});
        return true;
    case 'G':
        replies.append({InfoText.left(InfoText.size() / 2)});
        replies.append({InfoText.mid(InfoText.size() / 2), InfoSettleMs});
        break;
    case 'C':
        m_writePointer = 0;
        replies.append({Ok});
        break;
    case 'D':
        m_flash.fill(ErasedByte);
        replies.append({Ok, m_faults.eraseMs});
        break;
    case 'S':
        m_started = true;
        replies.append({Ok});
        break;
    case 'P':
        if (m_input.size() < PacketSize)
            return false;
        replies.append(writeBlock(m_input.left(PacketSize)));
        m_input.remove(0, PacketSize);
        return true;
    default:
        break; // noise
    }
    m_input.remove(0, 1);
    return true;
}

SimulatedBootloader::Reply SimulatedBootloader::writeBlock(const QByteArray &packet)
{
    const auto *block = reinterpret_cast<const unsigned char *>(packet.constData() + 1);
    const quint32 sentCrc = qFromLittleEndian<quint32>(packet.constData() + 1 + BlockSize);
    cOrvexProtocolPC crc;
    const bool damaged = m_writePointer == m_faults.crcErrorBlock && m_crcErrorsSent < m_faults.crcErrorTimes;
    if (damaged)
        ++m_crcErrorsSent;
    const int offset = m_writePointer * BlockSize;
    if (damaged || crc.crc32stm32(block, BlockSize, true) != sentCrc || offset + BlockSize > FlashSize)
        return {Error};
    m_flash.replace(offset, BlockSize, packet.mid(1, BlockSize));
    ++m_writePointer;
    return {Ok};
}

QString SimulatedBootloader::versionOf(const QByteArray &image)
{
    const qsizetype at = image.indexOf(VersionMarker);
    if (at < 0)
        return {};
    QByteArray version = image.mid(at + VersionMarker.size(), MaxVersionLength);
    const qsizetype end = version.indexOf('\0');
    if (end >= 0)
        version.truncate(end);
    return QString::fromLatin1(version);
}
