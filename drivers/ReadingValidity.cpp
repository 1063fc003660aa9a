#include "ReadingValidity.h"
#include "DriverHelper.h"

#include <QtMath>

namespace {
double number(const QMap<QString, QVariant> &values, const char *key)
{
    return values.value(QLatin1String(key)).toDouble();
}

bool flag(const QMap<QString, QVariant> &values, const char *key)
{
    return values.value(QLatin1String(key)).toBool();
}
} // namespace

void ReadingValidity::mark(QMap<QString, QVariant> &values, int deviceType)
{
    switch (deviceType) {
    case DriverHelper::DeviceSspdM0:
    case DriverHelper::DeviceSspdM1:
        values.insert(QLatin1String(ValidKey), countRateValid(values));
        values.insert(QLatin1String(LatchedKey), latched(values));
        break;
    case DriverHelper::DeviceTempM0:
        values.insert(QLatin1String(ValidKey), temperatureValid(values));
        break;
    default:
        break;
    }
}

bool ReadingValidity::countRateValid(const QMap<QString, QVariant> &values)
{
    return !flag(values, "status_shorted") && flag(values, "status_counter_on") &&
           qIsFinite(number(values, "cps"));
}

bool ReadingValidity::temperatureValid(const QMap<QString, QVariant> &values)
{
    return flag(values, "operate") && qAbs(number(values, "temperature_sensor_current")) > 0 &&
           qIsFinite(number(values, "temperature"));
}

bool ReadingValidity::latched(const QMap<QString, QVariant> &values)
{
    const double bias = qAbs(number(values, "current"));
    const double voltage = qAbs(number(values, "voltage"));
    const double threshold = number(values, "auto_reset_threshold");
    if (flag(values, "status_shorted") || !(bias >= MinLatchBias) || !qIsFinite(voltage))
        return false;
    return (threshold > 0 && voltage > threshold) || voltage > LatchResistance * bias;
}
