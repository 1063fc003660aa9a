#pragma once

#include "AutomationOptions.h"

#include <QObject>
#include <QString>

#include <memory>

class AutomationInterface;
class WorkerAsync;

/// Turns the automation interface on and off while the program runs. The command line's choice
/// applies to this run only; a change made on the screen is remembered in the settings store.
class AutomationSwitch : public QObject
{
    Q_OBJECT
    /// The interface is listening.
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY changed)
    /// The port the interface uses when it is switched on.
    Q_PROPERTY(int port READ port WRITE setPort NOTIFY changed)
    /// Where it listens and where the token is, or why it is not listening.
    Q_PROPERTY(QString statusText READ statusText NOTIFY changed)
public:
    /// Starts the interface at once when `options` ask for it.
    AutomationSwitch(WorkerAsync *facade, const AutomationOptions &options, QObject *parent = nullptr);
    ~AutomationSwitch() override;

    bool enabled() const { return m_interface != nullptr; }
    /// Switches the interface and remembers the choice for the next start.
    void setEnabled(bool enabled);
    int port() const { return m_port; }
    /// Remembers the port; a running interface moves to it.
    void setPort(int port);
    QString statusText() const { return m_statusText; }
    AutomationInterface *interface() const { return m_interface.get(); }

signals:
    void changed();

private:
    void start();
    void stop();
    void remember(const char *key, const QVariant &value);

    WorkerAsync *m_facade;
    quint16 m_port;
    std::unique_ptr<AutomationInterface> m_interface;
    QString m_statusText;
};
