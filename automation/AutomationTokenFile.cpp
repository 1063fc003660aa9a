#include "AutomationTokenFile.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

AutomationTokenFile::AutomationTokenFile()
{
    QByteArray bytes(TokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->generate(bytes.begin(), bytes.end());
    m_token = QString::fromLatin1(bytes.toHex());
}

AutomationTokenFile::~AutomationTokenFile()
{
    if (!m_path.isEmpty())
        QFile::remove(m_path);
}

QString AutomationTokenFile::fileName(quint16 port)
{
    return QStringLiteral("automation-%1.json").arg(port);
}

QString AutomationTokenFile::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

QString AutomationTokenFile::write(const QString &folder, quint16 port)
{
    if (!QDir().mkpath(folder))
        return QStringLiteral("cannot make the folder %1").arg(folder);
    const QString path = QDir(folder).filePath(fileName(port));
    const QByteArray local = QFile::encodeName(path);
    // This process listens on the port, so a file already named after it was left by a run that
    // ended (or planted by someone else): it is replaced, never reused. The new one is created
    // exclusively, readable by the user alone from its first byte on.
    ::unlink(local.constData());
    const int fd = ::open(local.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (fd < 0)
        return QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    const QByteArray contents =
        QJsonDocument(QJsonObject{{QStringLiteral("token"), m_token},
                                  {QStringLiteral("port"), int(port)},
                                  {QStringLiteral("host"), QStringLiteral("127.0.0.1")},
                                  {QStringLiteral("pid"), qint64(::getpid())}})
            .toJson(QJsonDocument::Compact) +
        '\n';
    const bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 &&
                         ::write(fd, contents.constData(), size_t(contents.size())) == contents.size();
    ::close(fd);
    if (!written) {
        ::unlink(local.constData());
        return QStringLiteral("cannot write %1").arg(path);
    }
    m_path = path;
    return {};
}

bool AutomationTokenFile::matches(const QString &candidate) const
{
    const QByteArray expected = m_token.toLatin1();
    const QByteArray given = candidate.toLatin1();
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (qsizetype i = 0; i < expected.size(); ++i)
        difference |= static_cast<unsigned char>(expected.at(i) ^ (i < given.size() ? given.at(i) : 0));
    return difference == 0;
}
