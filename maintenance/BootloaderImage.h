#pragma once

#include <QByteArray>
#include <QString>

/// A firmware image as the module bootloader takes it: 128-byte blocks, the last one padded with
/// 0xFF, each sent as "P", the block and the block's CRC-32 (least significant byte first).
class BootloaderImage
{
public:
    static constexpr int BlockSize = 128;                ///< image bytes per block
    static constexpr int PacketSize = 1 + BlockSize + 4; ///< "P", block, CRC-32
    /// Largest image taken: the application flash of the modules (112 KiB). A larger file cannot
    /// be a module's firmware and is refused before anything is erased.
    static constexpr qint64 MaxSize = 112 * 1024;

    enum LoadResult
    {
        Loaded,
        Missing,    ///< no file at the path
        Unreadable, ///< exists but cannot be read
        Empty,
        TooLarge
    };

    /// Reads and checks the file at `path`; the image is usable only on Loaded.
    LoadResult load(const QString &path);
    void setBytes(const QByteArray &bytes) { m_bytes = bytes; }

    qint64 size() const { return m_bytes.size(); }
    int blockCount() const { return static_cast<int>((m_bytes.size() + BlockSize - 1) / BlockSize); }
    /// The write command of block `index` (0 to blockCount() - 1).
    QByteArray packet(int index) const;
    /// Image bytes up to and including block `index`, for the progress.
    qint64 bytesThrough(int index) const
    {
        return qMin<qint64>(m_bytes.size(), qint64(index + 1) * BlockSize);
    }

private:
    QByteArray m_bytes;
};
