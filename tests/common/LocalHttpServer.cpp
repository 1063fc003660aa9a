#include "LocalHttpServer.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

LocalHttpServer::LocalHttpServer(const QString &folder) : m_folder(folder)
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

LocalHttpServer::~LocalHttpServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool LocalHttpServer::start(int timeoutMs)
{
    m_process.start(QStringLiteral("python3"),
                    {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", m_folder});
    static const QRegularExpression Serving(QStringLiteral("Serving HTTP on \\S+ port (\\d+)"));
    QByteArray output;
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired() && m_process.waitForReadyRead(int(deadline.remainingTime()))) {
        output += m_process.readAll();
        const QRegularExpressionMatch match = Serving.match(QString::fromUtf8(output));
        if (match.hasMatch()) {
            m_port = quint16(match.captured(1).toUInt());
            // Its request log is not read; drained so that a full pipe never blocks the server.
            QObject::connect(&m_process, &QProcess::readyRead, [this] { m_process.readAll(); });
            return true;
        }
    }
    return false;
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(m_port).arg(path);
}
