#include "ImageFileWriter.h"
#include "AtomicFileWriter.h"

#include <QBuffer>

QString ImageFileWriter::write(const QString &fileName, const QImage &image) const
{
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return QStringLiteral("Couldn't make the picture for %1").arg(fileName);
    return AtomicFileWriter::write(fileName, png);
}
