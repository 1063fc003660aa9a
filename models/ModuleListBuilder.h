#pragma once

#include "DataProviderItem.h"

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>

class DataProviderList;

/// Builds the module list the screens show from the worker's module list ("count" and "info"
/// entries of type, address and identity): one item per module with its identity, its type and
/// status numbers, and the readings it starts with.
class ModuleListBuilder
{
public:
    /// The module-list type (a DataProviderList::DeviceType) of a module type string.
    static int listDeviceType(const QString &type);
    /// The keys every module of `deviceType` starts with, after its identity, in list order.
    static QList<QPair<QString, int>> initialValueKeys(int deviceType);
    /// One module's item from its list entry.
    static DataProviderItem moduleItem(const QJsonObject &entry);
    /// Replaces the list's items with the modules of `initData`.
    static void initDataList(DataProviderList &list, const QJsonObject &initData);
};
