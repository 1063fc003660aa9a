#pragma once

#include <QByteArray>
#include <QString>

/// Writes a user's file in one piece: the contents go to a temporary file beside it, which then
/// replaces the old file, so a crash or a full disk during a save leaves the old file whole.
class AtomicFileWriter
{
public:
    /// Empty on success, else the text to show: "Couldn't open file: %1" when the file cannot be
    /// created, "Couldn't write file: %1" when writing or replacing fails.
    static QString write(const QString &fileName, const QByteArray &contents);
};
