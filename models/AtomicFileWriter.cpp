#include "AtomicFileWriter.h"

#include <QFileInfo>
#include <QSaveFile>

QString AtomicFileWriter::write(const QString &fileName, const QByteArray &contents)
{
    // A device or a FIFO would be replaced by a plain file of the same name.
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        return QStringLiteral("Couldn't write file: %1 (not a regular file)").arg(fileName);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return QStringLiteral("Couldn't open file: %1").arg(fileName);
    // commit() alone is not enough: after a failed write it still replaces the old file with the
    // incomplete one.
    QString reason = writeAll(&file, contents);
    if (reason.isEmpty() && file.commit())
        return {};
    if (reason.isEmpty())
        reason = file.errorString();
    else
        file.cancelWriting();
    return QStringLiteral("Couldn't write file: %1 (%2); the old file is kept.").arg(fileName, reason);
}

QString AtomicFileWriter::writeAll(QFileDevice *file, const QByteArray &bytes)
{
    // A disk that fills takes part of a write without an error; the next part then says why.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file->write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0 || file->error() != QFileDevice::NoError)
            return file->errorString();
        done += written;
    }
    return {};
}
