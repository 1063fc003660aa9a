#pragma once

#include <QImage>
#include <QObject>
#include <QString>

/// Saves a picture of a chart as a PNG file in one piece, so that a full disk leaves an existing
/// file whole. Stateless; QML reaches it as the singleton "ImageFileWriter".
class ImageFileWriter : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    /// Empty on success, else the text to show.
    Q_INVOKABLE QString write(const QString &fileName, const QImage &image) const;
};
