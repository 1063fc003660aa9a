#pragma once

#include <QByteArray>
#include <QString>

/// Reads a file the user chose, refusing what cannot be one of the program's files: a device,
/// a FIFO or a folder (opening a FIFO would wait for a writer; a device never ends), and a file
/// larger than the caller's limit, which is detected without reading it all.
class BoundedFileReader
{
public:
    /// Empty on success with the whole file in `bytes`, else the text to show.
    static QString read(const QString &fileName, qint64 maxBytes, QByteArray *bytes);
};
