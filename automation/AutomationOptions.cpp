#include "AutomationOptions.h"
#include "WorkerTypes.h"

#include <QSettings>

namespace {
const QString HeadlessOption = QStringLiteral("--headless");
const QString AutomationOption = QStringLiteral("--automation");
} // namespace

bool AutomationOptions::isHeadless(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (QString::fromLocal8Bit(argv[i]) == HeadlessOption)
            return true;
    }
    return false;
}

AutomationOptions AutomationOptions::parse(const QStringList &arguments)
{
    AutomationOptions options;
    const QSettings store(QString::fromLatin1(WorkerTypes::SettingsOrganization),
                          QString::fromLatin1(WorkerTypes::SettingsApplication));
    options.enabled = store.value(QLatin1String(EnabledKey), false).toBool();
    const int storedPort = store.value(QLatin1String(PortKey), int(DefaultPort)).toInt();
    if (storedPort > 0 && storedPort <= 0xFFFF)
        options.port = quint16(storedPort);

    for (const QString &argument : arguments.mid(1)) {
        if (argument == HeadlessOption) {
            options.headless = true;
        } else if (argument == AutomationOption) {
            options.enabled = true;
        } else if (argument.startsWith(AutomationOption + QLatin1Char('='))) {
            bool ok = false;
            const uint port = argument.mid(AutomationOption.size() + 1).toUInt(&ok);
            if (!ok || port > 0xFFFF) {
                options.error = QStringLiteral("%1 is not a port number").arg(argument);
                continue;
            }
            options.enabled = true;
            options.port = quint16(port);
        }
    }
    // Without windows the interface is the only way in.
    options.enabled = options.enabled || options.headless;
    return options;
}
