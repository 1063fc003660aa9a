#include "TraceLogger.h"
#include "AtomicFileWriter.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

TraceLogger::TraceLogger(QObject *parent) : QObject(parent) {}

QString TraceLogger::start(const QString &fileName, const QByteArray &header)
{
    stop();
    m_failure.clear();
    // Opening a FIFO for writing would wait for a reader.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return QStringLiteral("Couldn't open file: %1 (not a regular file)").arg(fileName);
    m_file.setFileName(fileName);
    // Unbuffered: every line goes to the disk at once anyway.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return QStringLiteral("Couldn't open file: %1 (%2)").arg(fileName, m_file.errorString());
    const QString reason = writeDurably(header + "# columns: channel, x, y\r\n");
    if (!reason.isEmpty()) {
        m_file.close();
        return QStringLiteral("Couldn't write file: %1 (%2)").arg(fileName, reason);
    }
    emit activeChanged();
    return {};
}

void TraceLogger::append(const QString &channel, double x, double y)
{
    writeOrEnd(channel.toUtf8() + '\t' + QByteArray::number(x, 'f', 6) + '\t' +
               QByteArray::number(y, 'f', 6) + "\r\n");
}

void TraceLogger::note(const QByteArray &commentLines)
{
    writeOrEnd(commentLines);
}

void TraceLogger::stop()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    emit activeChanged();
}

void TraceLogger::writeOrEnd(const QByteArray &bytes)
{
    if (!m_file.isOpen())
        return;
    const QString reason = writeDurably(bytes);
    if (reason.isEmpty())
        return;
    m_failure =
        QStringLiteral("Couldn't write file: %1 (%2); logging stopped.").arg(m_file.fileName(), reason);
    // Nothing more is taken once a write failed: a later success would leave a gap unmarked.
    m_file.close();
    emit activeChanged();
    emit failed(m_failure);
}

QString TraceLogger::writeDurably(const QByteArray &bytes)
{
    const QString reason = AtomicFileWriter::writeAll(&m_file, bytes);
    if (!reason.isEmpty())
        return reason;
#ifdef Q_OS_UNIX
    // Past the page cache too: a power cut must not take the points already logged.
    if (::fdatasync(m_file.handle()) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
#endif
    return {};
}
