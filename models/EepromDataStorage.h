#pragma once

#include "CalibrationFile.h"
#include "EepromDataItem.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

/// The calibration constants of the module being edited, one EepromDataItem each, and the
/// calibration file they are saved to and loaded from. GUI thread only: the worker gets a copy
/// of the values (constants()), never the items.
class EepromDataStorage : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)
public:
    explicit EepromDataStorage(QObject *parent = nullptr);

    int count() const { return int(m_items.size()); }
    int address() const { return m_address; }
    int type() const { return m_type; }
    Q_INVOKABLE QString typeString() const { return m_typeString; }
    Q_INVOKABLE QString udid() const { return m_udid; }

    Q_INVOKABLE EepromDataItem *get(int index) const;
    Q_INVOKABLE EepromDataItem *getByName(const QString &name) const;
    Q_INVOKABLE QList<EepromDataItem *> getByGroup(const QString &group) const;
    /// Updates the item called `name` through its setters, or appends a new one.
    Q_INVOKABLE void addItem(const QString &group, const QString &name, const QString &displayedName,
                             EepromDataItem::EepromDataType type, const QVariant &value);
    Q_INVOKABLE void removeItem(const QString &name);
    /// Deletes every item; the module's address, type and identity stay.
    Q_INVOKABLE void clear();
    /// Distinct group captions in order of first appearance.
    Q_INVOKABLE QVariantList groups() const;
    /// Rebuilds the items from a module's constants ("type", "address", "type_str", "UDID" and
    /// one value per constant name).
    Q_INVOKABLE void initialize(const QVariantMap &map);

    /// Writes the calibration file atomically (a crash mid-save leaves the old file whole).
    /// False, with fileError(), when it could not be written.
    Q_INVOKABLE bool saveToFile(const QString &fileName);
    /// Checks a calibration file against this module without changing anything: a map with
    /// "error" (empty when the file may be loaded), "udid" (the file's), "udidDiffers",
    /// "skipped" (a line per entry that loading leaves out, the module type first when it
    /// differs) and "loadable" (how many constants loading sets).
    Q_INVOKABLE QVariantMap inspectFile(const QString &fileName) const;
    /// Sets the constants the file and this module share and that hold numbers; a file of
    /// another module type or with a bad entry sets the rest. A file that is unreadable, not a
    /// calibration object or without one such constant changes nothing and gives false with
    /// fileError().
    Q_INVOKABLE bool loadFromFile(const QString &fileName);

    /// The constants as values with the module's bus address under "address", for the worker.
    QVariantMap constants() const;

signals:
    void countChanged();
    void itemAdded(EepromDataItem *item);
    void itemRemoved(const QString &name);
    void storageCleared();
    void updated();
    /// A save or load failed; `message` says why, for the user.
    void fileError(const QString &message);

private:
    /// What a calibration file gives this module.
    struct FileContents
    {
        QString error; ///< why nothing can be loaded; empty when `values` holds something
        QString udid;  ///< the file's
        QList<CalibrationFile::Assignment> values;
        QStringList skipped;
    };
    FileContents readFile(const QString &fileName) const;

    QList<EepromDataItem *> m_items; ///< children, in insertion order
    QHash<QString, EepromDataItem *> m_byName;
    int m_type = -1;    ///< module-list device type
    int m_address = -1; ///< bus address
    QString m_typeString;
    QString m_udid;
};
