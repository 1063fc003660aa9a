#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

/// What the crate keeps across a restart: the calibration constants each module stored with
/// write-EEPROM (keyed by the module's unique identifier, since they belong to the module, not
/// to its slot) and the module list saved by "SYST:DEVL:SAVE". The file is JSON, rewritten
/// atomically (temporary file + rename) on every change. Without a path it lives in memory only.
class CrateState
{
public:
    explicit CrateState(const QString &path = {});

    /// Reads the file. A missing file is an empty state. A corrupt one is kept aside as
    /// "<path>.corrupt" (so the next save cannot destroy it), the state starts empty, and
    /// false comes back with `error` saying what was wrong.
    bool load(QString *error);

    /// The saved module list (bus addresses), if one was ever saved.
    std::optional<QList<int>> moduleList() const { return m_moduleList; }
    /// Saves the module list; false with `error` when the file could not be written.
    bool saveModuleList(const QList<int> &addresses, QString *error);

    /// The stored calibration image of the module with this identifier; empty if none.
    QByteArray eeprom(const QByteArray &udid) const { return m_eeprom.value(udid); }
    /// Stores a module's calibration image; false with `error` when the file could not be written.
    bool saveEeprom(const QByteArray &udid, const QByteArray &image, QString *error);

private:
    bool write(QString *error) const;
    bool parse(const QByteArray &bytes, QString *error);

    QString m_path;
    std::optional<QList<int>> m_moduleList;
    QHash<QByteArray, QByteArray> m_eeprom;
};
