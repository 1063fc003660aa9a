#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

/// Where the file dialogs start and what a typed name means: the last folder used for each kind
/// of file is remembered in the settings store, and a dialog starts there while it still exists
/// (and, for saving, can be written), else in the user's documents, else in the home folder.
class UserFolders : public QObject
{
    Q_OBJECT

public:
    explicit UserFolders(QObject *parent = nullptr);

    /// The folder a dialog for files of `kind` ("presets", "data", ...) starts in.
    Q_INVOKABLE QString startFolder(const QString &kind, bool forSaving) const;
    /// Remembers `folder` as the last one used for files of `kind`.
    Q_INVOKABLE void remember(const QString &kind, const QString &folder);

    /// What the user typed as a full path: an absolute path or one from "~" as typed, any other
    /// name inside `folder`; in a save, `suffix` is appended to a last name without one.
    Q_INVOKABLE static QString resolve(const QString &folder, const QString &typed, const QString &suffix);
    Q_INVOKABLE static QString folderOf(const QString &path);
    Q_INVOKABLE static bool isFolder(const QString &path);
    Q_INVOKABLE static bool exists(const QString &path);
    Q_INVOKABLE static bool isWritableFolder(const QString &path);
    Q_INVOKABLE static QUrl urlOf(const QString &path);
};
