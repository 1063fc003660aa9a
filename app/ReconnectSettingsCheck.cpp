#include "ReconnectSettingsCheck.h"
#include "ConnectionMonitor.h"
#include "DataProviderItem.h"
#include "DataProviderList.h"

#include <QtMath>

namespace {
/// A setting a module keeps, as the operator reads it: shown = value × scale, in `unit`;
/// `tolerance` (in the value's own units) is what a read back wobbles by. A flag has no unit.
struct Setting
{
    const char *key;
    const char *caption;
    double scale;
    const char *unit;
    int decimals;
    double tolerance;
};

// "μ" is U+03BC, as the parameter panels write it.
const Setting Settings[] = {
    {"current", "bias", 1e6, "\u03BCA", 1, 0.1e-6},
    {"cmp_ref_level", "trigger", 1e3, "mV", 0, 1e-3},
    {"time_const", "time constant", 1, "s", 2, 1e-4},
    {"operate", "operate", 1, nullptr, 0, 0},
    {"status_shorted", "shorted", 1, nullptr, 0, 0},
    {"status_counter_on", "counter", 1, nullptr, 0, 0},
    {"status_autoreset_on", "auto reset", 1, nullptr, 0, 0},
    {"temperature_sensor_current", "sensor current", 1e6, "\u03BCA", 1, 0.1e-6},
};

QString shown(const Setting &setting, const QVariant &value)
{
    if (!setting.unit)
        return value.toBool() ? QStringLiteral("on") : QStringLiteral("off");
    double number = value.toDouble() * setting.scale;
    if (qAbs(number) < 0.5 * qPow(10, -setting.decimals))
        number = 0; // a read-back of -0.01 is shown as 0.0, not "-0.0"
    return QStringLiteral("%1 %2").arg(number, 0, 'f', setting.decimals).arg(QString::fromUtf8(setting.unit));
}

bool differs(const Setting &setting, const QVariant &before, const QVariant &now)
{
    if (!setting.unit)
        return before.toBool() != now.toBool();
    return qAbs(before.toDouble() - now.toDouble()) > setting.tolerance;
}
} // namespace

ReconnectSettingsCheck::ReconnectSettingsCheck(QObject *parent) : QObject(parent)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(GatherMs);
    connect(&m_gather, &QTimer::timeout, this, &ReconnectSettingsCheck::report);
}

void ReconnectSettingsCheck::connectionChanged(int state, const QList<DataProviderItem> &items)
{
    const bool down = state == ConnectionMonitor::StateReconnecting || state == ConnectionMonitor::StateLost;
    if (down && !m_down) {
        m_before.clear();
        m_pending.clear();
        for (const DataProviderItem &item : items) {
            QVariantHash settings;
            for (const Setting &setting : Settings) {
                const QVariant value = item.byName(QLatin1String(setting.key));
                if (value.isValid())
                    settings.insert(QLatin1String(setting.key), value);
            }
            m_before.insert(item.byName(QStringLiteral("address")).toInt(), settings);
        }
    } else if (state == ConnectionMonitor::StateConnected && m_down) {
        const QList<int> addresses = m_before.keys();
        m_pending = QSet<int>(addresses.cbegin(), addresses.cend());
    } else if (state == ConnectionMonitor::StateNone) {
        m_before.clear(); // a new connection: another crate, nothing to compare with
        m_pending.clear();
    }
    m_down = down;
}

QString ReconnectSettingsCheck::moduleRead(int address, const QVariantHash &data)
{
    if (!m_pending.contains(address) ||
        data.value(QStringLiteral("status")).toInt() != DataProviderList::DeviceStatusActive)
        return {};
    m_pending.remove(address);
    const QVariantHash before = m_before.take(address);
    QStringList changes;
    for (const Setting &setting : Settings) {
        const QString key = QLatin1String(setting.key);
        if (before.contains(key) && data.contains(key) &&
            differs(setting, before.value(key), data.value(key)))
            changes << QStringLiteral("%1 %2 \u2192 %3")
                           .arg(QLatin1String(setting.caption), shown(setting, before.value(key)),
                                shown(setting, data.value(key)));
    }
    if (changes.isEmpty())
        return {};
    const QString line = QStringLiteral("Module %1 came back with other settings: %2")
                             .arg(address)
                             .arg(changes.join(QStringLiteral(", ")));
    m_lines << line;
    if (!m_gather.isActive())
        m_gather.start();
    return line;
}

void ReconnectSettingsCheck::report()
{
    if (!m_lines.isEmpty())
        emit settingsChanged(m_lines.join(QLatin1Char('\n')));
    m_lines.clear();
}
