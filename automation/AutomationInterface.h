#pragma once

#include "AutomationTokenFile.h"

#include <QObject>
#include <QString>

class AutomationCalls;
class AutomationServer;
class WorkerAsync;

/// The whole automation interface of one program run: the calls on the facade, the listener and
/// the token file. Made after the facade and deleted before it.
class AutomationInterface : public QObject
{
    Q_OBJECT
public:
    explicit AutomationInterface(WorkerAsync *facade, QObject *parent = nullptr);
    ~AutomationInterface() override;

    /// Listens at `port` (0: any free one) and writes the token file into `tokenFolder`; an error
    /// text, or empty once scripts can connect.
    QString start(quint16 port, const QString &tokenFolder = AutomationTokenFile::defaultFolder());
    quint16 port() const;
    QString token() const { return m_token.token(); }
    QString tokenFilePath() const { return m_token.path(); }
    AutomationServer *server() const { return m_server; }

private:
    AutomationTokenFile m_token;
    AutomationCalls *m_calls;   ///< child
    AutomationServer *m_server; ///< child
};
