#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class FileServer;
class WorkerAsync;

/// Runs one module's firmware update the way the crate takes it: the file server listens, the
/// worker locks the crate and names the module, the crate connects back and the server sends it
/// the image. However it ends (completed, crate error, failed download, lost connection, a
/// crate that never connects or falls silent, or `cancel`), the server is stopped and the crate
/// unlocked. GUI thread.
class FirmwareUpdate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
public:
    static constexpr int DefaultConnectTimeoutMs = 15000; ///< the crate must connect back within this
    static constexpr int DefaultSilenceTimeoutMs = 60000; ///< longest pause in the crate's reports

    /// The server's port is 9879 unless VT4_FILE_SERVER_PORT names another.
    FirmwareUpdate(FileServer *server, WorkerAsync *facade, QObject *parent = nullptr);

    bool running() const { return m_running; }
    quint16 port() const { return m_port; }
    void setTimeouts(int connectMs, int silenceMs);

    /// Updates the module at bus `address` with the image at `imageUrl`; ignored while running.
    Q_INVOKABLE void start(int address, const QString &imageUrl);
    /// Abandons a running update (the operator closed its window).
    Q_INVOKABLE void cancel();

signals:
    void runningChanged();
    /// The update ended; `message` says how.
    void finished(bool succeeded, const QString &message);

private:
    void finish(bool succeeded, const QString &message);
    void restartWatchdog(int ms, const QString &reason);

    FileServer *m_server;
    WorkerAsync *m_facade;
    quint16 m_port;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    int m_silenceTimeoutMs = DefaultSilenceTimeoutMs;
    bool m_running = false;
    bool m_crateConnected = false; ///< from then on the crate's silence is watched
    QString m_imageUrl;
    QString m_lastServerError; ///< the file server's latest error text
    QTimer m_watchdog;
    QString m_watchdogReason; ///< what the watchdog reports when it fires
};
