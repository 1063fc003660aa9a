#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class FileServer;
class WorkerAsync;

/// Runs one module's firmware update the way the crate takes it: the file server listens, the
/// worker locks the crate and names the module, the crate connects back and the server sends it
/// the image. However it ends (completed, crate error, failed download, lost connection, a
/// refused or missing connect-back, a crate that falls silent, `cancel`, or the program
/// quitting), the server is stopped and the crate unlocked. GUI thread.
///
/// The update shows as phases, each with its own percentage: the download of the image, then
/// the crate's writing of it. `percent` reaches 100 only when the crate reported completion.
class FirmwareUpdate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)
    Q_PROPERTY(int percent READ percent NOTIFY percentChanged)
public:
    static constexpr int DefaultConnectTimeoutMs = 15000; ///< the crate must connect back within this
    static constexpr int DefaultSilenceTimeoutMs = 60000; ///< longest pause in the crate's reports
    static constexpr int UnlockWaitMs = 3000; ///< on quitting, the longest wait for the crate's unlock

    enum Phase
    {
        PhaseIdle,        ///< no update since the program started
        PhaseConnecting,  ///< the crate was told; its connect-back is awaited
        PhaseDownloading, ///< the image comes from the firmware server
        PhaseWriting,     ///< the crate has the image and writes it to the module
        PhaseCompleted,
        PhaseFailed ///< failed or cancelled; `finished` said how
    };
    Q_ENUM(Phase)

    /// The server's port is 9879 unless VT4_FILE_SERVER_PORT names another.
    FirmwareUpdate(FileServer *server, WorkerAsync *facade, QObject *parent = nullptr);

    bool running() const { return m_running; }
    Phase phase() const { return m_phase; }
    int percent() const { return m_percent; }
    quint16 port() const { return m_port; }
    void setTimeouts(int connectMs, int silenceMs);

    /// Updates the module at bus `address` with the image at `imageUrl`; ignored while running.
    Q_INVOKABLE void start(int address, const QString &imageUrl);
    /// Abandons a running update; `finished` says how far it had come.
    Q_INVOKABLE void cancel();
    /// The program is quitting: a running update is stopped, and this waits (at most
    /// `UnlockWaitMs`) until the worker has sent the crate its unlock, before the link closes.
    void stopForQuit();

signals:
    void runningChanged();
    void phaseChanged();
    void percentChanged();
    /// The update ended; `message` says how.
    void finished(bool succeeded, const QString &message);

private:
    void finish(bool succeeded, const QString &message);
    void restartWatchdog(int ms, const QString &reason);
    void setPhase(Phase phase);
    void setPercent(int percent);

    FileServer *m_server;
    WorkerAsync *m_facade;
    quint16 m_port;
    int m_connectTimeoutMs = DefaultConnectTimeoutMs;
    int m_silenceTimeoutMs = DefaultSilenceTimeoutMs;
    bool m_running = false;
    Phase m_phase = PhaseIdle;
    int m_percent = 0;
    QString m_imageUrl;
    QString m_lastServerError; ///< the file server's latest error text
    QTimer m_watchdog;
    QString m_watchdogReason; ///< what the watchdog reports when it fires
};
