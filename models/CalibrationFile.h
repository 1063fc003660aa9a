#pragma once

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
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
    /// Empty when `object` names the storage's module type, else a sentence naming both.
    static QString typeMismatch(const QJsonObject &object, const EepromDataStorage &storage);
    /// The values `object` gives to the constants `storage` has. A constant of the file that the
    /// module lacks, or that is not a number or a pair of numbers, is left out and named in
    /// `skipped` ("\"PulseWidth\" is not a number").
    static QList<Assignment> assignments(const QJsonObject &object, const EepromDataStorage &storage,
                                         QStringList *skipped);
    static QString udid(const QJsonObject &object);
};
