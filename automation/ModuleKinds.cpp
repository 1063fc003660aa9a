#include "ModuleKinds.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"

namespace {
int typeOf(const DataProviderItem &module)
{
    return module.byName(QStringLiteral("type")).toInt();
}
} // namespace

QString ModuleKinds::typeName(const DataProviderItem &module)
{
    switch (typeOf(module)) {
    case DataProviderList::DeviceTypeSspdM0:
        return QStringLiteral("VT4SDM0");
    case DataProviderList::DeviceTypeSspdM1:
        return QStringLiteral("VT4SDM1");
    case DataProviderList::DeviceTypeTempM0:
        return QStringLiteral("VT4TDM0");
    case DataProviderList::DeviceTypeTempM1:
        return QStringLiteral("VT4TDM1");
    default:
        return QStringLiteral("unknown");
    }
}

bool ModuleKinds::isDetector(const DataProviderItem &module)
{
    const int type = typeOf(module);
    return type == DataProviderList::DeviceTypeSspdM0 || type == DataProviderList::DeviceTypeSspdM1;
}

bool ModuleKinds::isThermometer(const DataProviderItem &module)
{
    const int type = typeOf(module);
    return type == DataProviderList::DeviceTypeTempM0 || type == DataProviderList::DeviceTypeTempM1;
}
