#include "AtomicFileWriter.h"

#include <QSaveFile>

QString AtomicFileWriter::write(const QString &fileName, const QByteArray &contents)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Couldn't open file: %1").arg(fileName);
    if (file.write(contents) != contents.size() || !file.commit())
        return QStringLiteral("Couldn't write file: %1").arg(fileName);
    return {};
}
