#include "TraceLogger.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

TraceLogger::TraceLogger(QObject *parent) : QObject(parent) {}

QString TraceLogger::start(const QString &fileName, const QByteArray &header)
{
    stop();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("Couldn't open file: %1").arg(fileName);
    if (!writeDurably(header + "# columns: channel, x, y\r\n")) {
        m_file.close();
        return QStringLiteral("Couldn't write file: %1").arg(fileName);
    }
    emit activeChanged();
    return {};
}

void TraceLogger::append(const QString &channel, double x, double y)
{
    if (!m_file.isOpen())
        return;
    const QByteArray line = channel.toUtf8() + '\t' + QByteArray::number(x, 'f', 6) + '\t' +
                            QByteArray::number(y, 'f', 6) + "\r\n";
    if (!writeDurably(line)) {
        const QString name = m_file.fileName();
        stop();
        emit failed(QStringLiteral("Couldn't write file: %1; logging stopped.").arg(name));
    }
}

void TraceLogger::stop()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    emit activeChanged();
}

bool TraceLogger::writeDurably(const QByteArray &bytes)
{
    if (m_file.write(bytes) != bytes.size() || !m_file.flush())
        return false;
#ifdef Q_OS_UNIX
    // Past the page cache too: a power cut must not take the points already logged.
    return ::fdatasync(m_file.handle()) == 0;
#else
    return true;
#endif
}
