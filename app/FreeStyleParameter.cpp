#include "FreeStyleParameter.h"

#include <QSet>

namespace {
const QSet<QString> NumberNames{
    QStringLiteral("current"),
    QStringLiteral("time_const"),
    QStringLiteral("cmp_ref_level"),
    QStringLiteral("temperature_sensor_current"),
    QStringLiteral("auto_reset_threshold"),
    QStringLiteral("auto_reset_time_out"),
};
const QSet<QString> FlagNames{
    QStringLiteral("status_shorted"),      QStringLiteral("operate"),
    QStringLiteral("status_amplifier_on"), QStringLiteral("status_comparator_on"),
    QStringLiteral("status_counter_on"),   QStringLiteral("status_rfkey_to_cmp"),
    QStringLiteral("status_hfmode_on"),    QStringLiteral("status_autoreset_on"),
};
} // namespace

bool FreeStyleParameter::accepts(const QString &name, const QVariant &value)
{
    if (NumberNames.contains(name))
        return isNumber(value);
    if (FlagNames.contains(name))
        return isFlag(value);
    return false;
}

bool FreeStyleParameter::isNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return qIsFinite(value.toDouble());
    case QMetaType::QString: {
        // Text from a field counts only when all of it is a number.
        bool ok = false;
        const double number = value.toString().toDouble(&ok);
        return ok && qIsFinite(number);
    }
    default:
        return false;
    }
}

bool FreeStyleParameter::isFlag(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    case QMetaType::QString:
        return QStringList{"true", "false", "0", "1"}.contains(value.toString());
    default:
        return false;
    }
}
