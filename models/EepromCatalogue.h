#pragma once

#include "EepromDataItem.h"

#include <QList>
#include <QString>

/// The calibration constants each module type keeps, in the order the editor shows them.
class EepromCatalogue
{
public:
    struct Entry
    {
        QString group;
        QString name;
        QString displayedName;
        EepromDataItem::EepromDataType type;
    };

    static constexpr int TempTablePoints = 100;

    /// The constants of a module-list device type (0, 1 the detector modules, 2 the temperature
    /// module with one sensor); none for any other type.
    static QList<Entry> entriesFor(int deviceType);
    /// Name of table point `index`, e.g. "tempTable_7".
    static QString tempTableName(int index);
};
