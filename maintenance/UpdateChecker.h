#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

/// Asks the updater program next to the executable ("Updater.exe") whether a newer version of
/// this program is available, and hands over to it on request. The check runs the updater as a
/// child process and never blocks the GUI thread; `startUpdate` quits the program only once the
/// updater is running. Process-wide singleton, the QML singleton "Updater".
class UpdateChecker : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool updateAvailable READ updateAvailable NOTIFY updateAvailableChanged)
    Q_PROPERTY(QString newVersion READ newVersion NOTIFY updateAvailableChanged)
public:
    static constexpr int CheckTimeoutMs = 60000; ///< a check running longer is stopped

    /// The one checker, made without parent on first use.
    static UpdateChecker *instance();

    bool updateAvailable() const { return m_updateAvailable; }
    QString newVersion() const { return m_newVersion; }
    QString updaterPath() const { return m_updaterPath; }
    /// For tests: another updater program and check time-out.
    void setUpdaterPath(const QString &path) { m_updaterPath = path; }
    void setCheckTimeout(int ms) { m_checkTimer.setInterval(ms); }

    /// Runs `program` with `arguments` and reads its report when it ends; a check under way is
    /// left to finish.
    void checkForUpdates(const QString &program, const QStringList &arguments);

signals:
    void updateAvailableChanged();
    void checkFailed(const QString &error);

private slots:
    void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onProcessError(QProcess::ProcessError error);
    void onReadyRead();

public:
    Q_INVOKABLE void checkAvailableUpdates();
    /// Starts the updater detached and quits; when it cannot start, reports `checkFailed` and stays.
    Q_INVOKABLE void startUpdate();

private:
    explicit UpdateChecker(QObject *parent = nullptr);
    void parseOutput();

    QProcess m_process;
    QString m_output;
    QString m_error;
    QString m_updaterPath;
    bool m_updateAvailable = false;
    QString m_newVersion;
    QTimer m_checkTimer;
    bool m_timedOut = false; ///< the running check was stopped by the time-out
};
