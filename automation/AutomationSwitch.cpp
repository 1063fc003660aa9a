#include "AutomationSwitch.h"
#include "AutomationInterface.h"
#include "AutomationLogging.h"
#include "WorkerAsync.h"

#include <QSettings>

AutomationSwitch::AutomationSwitch(WorkerAsync *facade, const AutomationOptions &options, QObject *parent)
    : QObject(parent), m_facade(facade), m_port(options.port), m_statusText(QStringLiteral("Off"))
{
    if (options.enabled)
        start();
}

AutomationSwitch::~AutomationSwitch() = default;

void AutomationSwitch::setEnabled(bool enabled)
{
    remember(AutomationOptions::EnabledKey, enabled);
    if (enabled == this->enabled())
        return;
    if (enabled)
        start();
    else
        stop();
    emit changed();
}

void AutomationSwitch::setPort(int port)
{
    if (port < 0 || port > 0xFFFF || quint16(port) == m_port)
        return;
    m_port = quint16(port);
    remember(AutomationOptions::PortKey, port);
    if (enabled()) {
        stop();
        start();
    }
    emit changed();
}

void AutomationSwitch::start()
{
    auto automation = std::make_unique<AutomationInterface>(m_facade);
    const QString error = automation->start(m_port);
    if (!error.isEmpty()) {
        qCWarning(lcAutomation) << "not started:" << error;
        m_statusText = QStringLiteral("Off: ") + error;
        return;
    }
    m_interface = std::move(automation);
    m_statusText = QStringLiteral("Listening on 127.0.0.1:%1; the token is in %2")
                       .arg(m_interface->port())
                       .arg(m_interface->tokenFilePath());
    qCInfo(lcAutomation).noquote() << m_statusText;
}

void AutomationSwitch::stop()
{
    // Connected scripts are cut off and the token file goes with the interface.
    m_interface.reset();
    m_statusText = QStringLiteral("Off");
}

void AutomationSwitch::remember(const char *key, const QVariant &value)
{
    QSettings store(QString::fromLatin1(WorkerAsync::SettingsOrganization),
                    QString::fromLatin1(WorkerAsync::SettingsApplication));
    store.setValue(QLatin1String(key), value);
}
