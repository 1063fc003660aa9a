#include "ModuleListBuilder.h"
#include "DataProviderList.h"

#include <QJsonArray>

// The later models are tested first: a type string may name an earlier one too.
int ModuleListBuilder::listDeviceType(const QString &type)
{
    static const QList<QPair<QString, int>> models{
        {QStringLiteral("VT4TDM1"), DataProviderList::DeviceTypeTempM1},
        {QStringLiteral("VT4TDM0"), DataProviderList::DeviceTypeTempM0},
        {QStringLiteral("VT4SDM1"), DataProviderList::DeviceTypeSspdM1},
        {QStringLiteral("VT4SDM0"), DataProviderList::DeviceTypeSspdM0},
    };
    for (const auto &model : models) {
        if (type.contains(model.first))
            return model.second;
    }
    return DataProviderList::DeviceTypeUnknown;
}

QList<QPair<QString, int>> ModuleListBuilder::initialValueKeys(int deviceType)
{
    static const QList<QPair<QString, int>> sspd{
        {"current", 0},
        {"counts", 0},
        {"voltage", 0},
        {"status_inite", 0},
        {"status_shorted", 1},
        {"status_amplifier_on", 0},
        {"status_comparator_on", 0},
        {"status_counter_on", 0},
        {"status_autoreset_on", 0},
        {"status_error", 0},
        {"cmp_ref_level", 0},
        {"time_const", 1},
        {"auto_reset_threshold", 0},
        {"auto_reset_time_out", 0},
        {"auto_reset_counts", 0},
        {"cps", 0},
        {"reading_valid", 0},
        {"latched", 0},
    };
    switch (deviceType) {
    case DataProviderList::DeviceTypeSspdM0:
        return QList<QPair<QString, int>>{{"status_rfkey_to_cmp", 0}} + sspd;
    case DataProviderList::DeviceTypeSspdM1:
        return QList<QPair<QString, int>>{{"currentMonitor", 0}, {"status_hfmode_on", 1}} + sspd;
    case DataProviderList::DeviceTypeTempM0:
        return {{"temperature", 0},
                {"pressure", 0},
                {"temperature_sensor_current", 0},
                {"temperature_sensor_voltage", 0},
                {"pressure_sensor_voltage_pos", 0},
                {"pressure_sensor_voltage_neg", 0},
                {"reading_valid", 0}};
    case DataProviderList::DeviceTypeTempM1:
        return {{"temperature", 0}, {"reading_valid", 0}};
    default:
        return {};
    }
}

DataProviderItem ModuleListBuilder::moduleItem(const QJsonObject &entry)
{
    DataProviderItem item;
    item.append(QStringLiteral("address"),
                int(static_cast<quint8>(entry.value(QLatin1String("address")).toInt(-1))));
    for (const char *key : {"Firmware", "Hardware", "Modification", "UDID", "Description"})
        item.append(QLatin1String(key), entry.value(QLatin1String(key)).toString());
    item.append(QStringLiteral("restore"), false);
    item.append(QStringLiteral("selected"), false);
    const int type = listDeviceType(entry.value(QLatin1String("type")).toString());
    item.append(QStringLiteral("type"), type);
    item.append(QStringLiteral("status"), int(DataProviderList::DeviceStatusIdle));
    item.append(QStringLiteral("operate"), false);
    for (const auto &key : initialValueKeys(type))
        item.append(key.first, key.second);
    return item;
}

void ModuleListBuilder::initDataList(DataProviderList &list, const QJsonObject &initData)
{
    list.removeAll();
    const int count = initData.value(QLatin1String("count")).toInt(-1);
    const QJsonArray info = initData.value(QLatin1String("info")).toArray();
    for (int i = 0; i < count && i < info.size(); ++i) {
        if (info.at(i).isObject())
            list.appendItem(moduleItem(info.at(i).toObject()));
    }
}
