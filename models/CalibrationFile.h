#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>

class EepromDataStorage;

/// The calibration file: one indented JSON object with the module's type string and UDID and
/// one entry per constant ("CurrentAdcCoeffs": [slope, intercept], "PulseWidth": number,
/// "TempTable": [[voltage, temperature], ...]).
class CalibrationFile
{
public:
    /// Larger files are refused unread; a complete file of any module is about 10 KB.
    static constexpr qint64 MaxFileBytes = 1024 * 1024;

    using Assignment = QPair<QString, QVariant>; ///< item name, new value

    /// The file object of the constants `storage` holds.
    static QJsonObject build(const EepromDataStorage &storage);
    /// Writes `object` through a temporary file that replaces `fileName` only when complete.
    static bool write(const QString &fileName, const QJsonObject &object, QString *error);
    /// Reads and parses a calibration file; false with a message for the user when it cannot.
    static bool read(const QString &fileName, QJsonObject *object, QString *error);
    /// The values `object` gives to the items `storage` has, after checking that the file is for
    /// the storage's module type and that every such value is a number or a pair of numbers.
    /// False with a message naming the module type or the bad entry.
    static bool assignments(const QJsonObject &object, const EepromDataStorage &storage,
                            QList<Assignment> *result, QString *error);
    static QString udid(const QJsonObject &object);
};
