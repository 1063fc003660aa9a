#include "BootloaderImage.h"

#include "cOrvexProtocolPC.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace {
constexpr char PadByte = '\xFF'; ///< erased flash
constexpr char WriteCommand = 'P';
} // namespace

BootloaderImage::LoadResult BootloaderImage::load(const QString &path)
{
    m_bytes.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return Missing;
    // Checked before reading, so a huge file (or a device) is never read into memory.
    if (info.isFile() && info.size() > MaxSize)
        return TooLarge;
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return Unreadable;
    m_bytes = file.read(MaxSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_bytes.clear();
        return Unreadable;
    }
    if (m_bytes.size() > MaxSize) {
        m_bytes.clear();
        return TooLarge;
    }
    return m_bytes.isEmpty() ? Empty : Loaded;
}

QByteArray BootloaderImage::packet(int index) const
{
    QByteArray block = m_bytes.mid(qint64(index) * BlockSize, BlockSize);
    block.append(BlockSize - block.size(), PadByte);
    const quint32 crc = cOrvexProtocolPC::instance()->crc32stm32(
        reinterpret_cast<const unsigned char *>(block.constData()), BlockSize, true);
    QByteArray packet;
    packet.reserve(PacketSize);
    packet.append(WriteCommand);
    packet.append(block);
    char crcBytes[4];
    qToLittleEndian(crc, crcBytes);
    packet.append(crcBytes, sizeof crcBytes);
    return packet;
}
