#include "BoundedFileReader.h"

#include <QFile>
#include <QFileInfo>

QString BoundedFileReader::read(const QString &fileName, qint64 maxBytes, QByteArray *bytes)
{
    bytes->clear();
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return QStringLiteral("Couldn't open file: %1 (not a regular file)").arg(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Couldn't open file: %1 (%2)").arg(fileName, file.errorString());
    // One byte past the limit tells an oversized file even where the size is not known ahead.
    QByteArray contents = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("Couldn't read file: %1 (%2)").arg(fileName, file.errorString());
    if (contents.size() > maxBytes)
        return QStringLiteral("%1 is larger than %2 KB; it is not one of this program's files.")
            .arg(fileName)
            .arg(maxBytes / 1024);
    *bytes = std::move(contents);
    return {};
}
