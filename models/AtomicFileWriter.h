#pragma once

#include <QByteArray>
#include <QString>

class QFileDevice;

/// Writes a user's file in one piece: the contents go to a temporary file beside it, which then
/// replaces the old file, so a crash or a full disk during a save leaves the old file whole.
class AtomicFileWriter
{
public:
    /// Empty on success, else the text to show: "Couldn't open file: %1" when the file cannot be
    /// created, "Couldn't write file: %1 (reason); the old file is kept." when writing or
    /// replacing fails; a device, FIFO or folder of that name is refused and left as it is.
    static QString write(const QString &fileName, const QByteArray &contents);
    /// Writes all of `bytes` to `file`, opened unbuffered; empty on success, else the reason.
    static QString writeAll(QFileDevice *file, const QByteArray &bytes);
};
