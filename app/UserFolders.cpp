#include "UserFolders.h"
#include "WorkerTypes.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {
const QString FoldersGroup = QStringLiteral("fileDialogs/");

QSettings store()
{
    return QSettings(QString::fromLatin1(WorkerTypes::SettingsOrganization),
                     QString::fromLatin1(WorkerTypes::SettingsApplication));
}
} // namespace

UserFolders::UserFolders(QObject *parent) : QObject(parent) {}

QString UserFolders::startFolder(const QString &kind, bool forSaving) const
{
    const QStringList candidates{store().value(FoldersGroup + kind).toString(),
                                 QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                                 QDir::homePath()};
    for (const QString &folder : candidates) {
        if (!folder.isEmpty() && (forSaving ? isWritableFolder(folder) : isFolder(folder)))
            return QDir::cleanPath(folder);
    }
    return QDir::tempPath();
}

void UserFolders::remember(const QString &kind, const QString &folder)
{
    store().setValue(FoldersGroup + kind, folder);
}

QString UserFolders::resolve(const QString &folder, const QString &typed, const QString &suffix)
{
    QString path = typed.trimmed();
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    else if (!QDir::isAbsolutePath(path))
        path = folder + QLatin1Char('/') + path;
    path = QDir::cleanPath(path);
    const QFileInfo info(path);
    if (!suffix.isEmpty() && info.suffix().isEmpty() && !info.isDir() &&
        !typed.trimmed().endsWith(QLatin1Char('/')))
        path += QLatin1Char('.') + suffix;
    return path;
}

QString UserFolders::folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

bool UserFolders::isFolder(const QString &path)
{
    return QFileInfo(path).isDir();
}

bool UserFolders::exists(const QString &path)
{
    return QFileInfo::exists(path);
}

bool UserFolders::isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

QUrl UserFolders::urlOf(const QString &path)
{
    return QUrl::fromLocalFile(path);
}
