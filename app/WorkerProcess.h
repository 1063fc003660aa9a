#pragma once

#include "CrateSession.h"
#include "EepromCommands.h"
#include "SweepRunner.h"
#include "WorkerAsync.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <QVariant>
#include <QVariantHash>
#include <QVariantMap>
#include <QWaitCondition>

class CommonDriver;
class RecycleSession;

class vtTcpSocketIOInterface;

/// Does all the talking to the crate, on the worker thread: drains the command queue, runs one
/// pass of the current measurement mode, then sleeps until a command arrives or a poll is due.
class WorkerProcess : public QObject
{
    Q_OBJECT
public:
    static constexpr int CrateCommandTimeoutMs = CrateSession::CommandTimeoutMs;
    static constexpr int HomePollPeriodMs = 1000;   ///< mode 0 reads every module once a second
    static constexpr int IdleWaitMs = 50;           ///< sleep of the idle mode and of unset time constants
    static constexpr int StatisticsWindowMs = 5000; ///< "VT4_WORKER_PERF" line period
    static constexpr int MinSingleChannelPeriodMs = 10;  ///< floor of the single-channel poll period
    static constexpr double TimeConstSettleFactor = 1.2; ///< wait after a time-constant change, in periods

    explicit WorkerProcess(QObject *parent = nullptr);
    ~WorkerProcess() override;

    /// Queues a command; callable from any thread, never blocks on the crate.
    void setCommand(WorkerAsync::WorkerCommands cmd, const QVariant &params);
    /// Asks the worker thread to stop and wakes whatever the loop is waiting on (the queue, a
    /// module answer, a text query), as one step under the queue lock. Callable from any thread
    /// while the worker exists: the loop passes that lock once before it emits finished, so the
    /// worker cannot go away while this runs.
    void requestStop();

    /// How long the loop may sleep before the current mode's next poll is due, in ms.
    int nextWaitIntervalMs() const;
    /// The wait rule itself: mode, its time constant and the time since its last poll, in ms.
    static int waitIntervalMs(WorkerAsync::WorkerMode mode, int timeConstMs, qint64 elapsedMs);

    WorkerAsync::WorkerMode mode() const { return m_mode; }
    int timeConstantMs() const { return m_timeConstMs; }
    QList<int> activeChannels() const { return m_activeChannels; }
    QVariantMap sweepParameters() const { return m_sweep->parameters(); }
    /// The link of the current connection, or none before the first successful connection.
    vtTcpSocketIOInterface *link() const { return m_session->link(); }
    /// The first driver at that bus address, or none.
    CommonDriver *driverByAddress(int address) const { return m_session->driverByAddress(address); }
    QList<CommonDriver *> drivers() const { return m_session->drivers(); }
    /// The temperature recycle; a worker-thread object, only to be connected to from elsewhere.
    RecycleSession *recycleSession() const { return m_recycle; }

public slots:
    /// The loop; returns only when the thread is asked to stop.
    void start();

signals:
    void finished();
    void connected();
    void deviceListUpdated(const QJsonObject &list);
    void dataReady(int address, const QVariantHash &values);
    /// The values of a reading a sweep or histogram step took (already sent with dataReady),
    /// stamped with the run of the sweep values in force.
    void runReading(int address, const QVariantHash &values, quint64 run);
    void eepromDataReady(int address, const QVariantMap &data);
    void eepromUpdated();
    void updatePlot();
    void setStatusText(const QString &text);
    void sweepProgress(double percent);
    void sweepFinished();
    void sendErrorMessage(const QString &title, const QString &error);
    void sendMessage(const QString &title, const QString &message);
    /// The crate refused to lock or to start updating the module at `address`.
    void unitUpdateRefused(int address);
    /// The crate answered (or failed to answer) a lock or unlock command.
    void lockAnswered(bool succeeded);
    /// A connection attempt failed; `reason` says why in one line (refused, no answer, not a crate).
    void connectFailed(const QString &reason);
    /// Emitted on the worker thread as a command is taken off the queue, with the number of the
    /// loop pass that runs it (diagnostics, tests and latency measurements).
    void commandStarted(int cmd, quint64 pass);
    /// The link to the crate changed: a ConnectionMonitor::State, since when it is down (ms
    /// since the epoch) and the reconnect tries so far.
    void connectionChanged(int state, qint64 sinceMs, int tries);

private:
    using QueuedCommand = QPair<WorkerAsync::WorkerCommands, QVariant>;

    bool executeCommands();
    bool takeCommand(QueuedCommand *command);
    /// Runs one command; false when draining must stop for this pass.
    bool execute(WorkerAsync::WorkerCommands cmd, const QVariant &params);
    bool processMode();
    /// A calibration command of the editor; its result or its failure goes back as a signal.
    void runEepromStep(EepromCommands::Step step, const QVariant &params);
    /// Takes a list of ints from C++ or a list of whole numbers from the screens; anything else
    /// is refused with a log line and leaves the list as it was.
    void setActiveChannels(const QVariant &params);
    /// A parameter change from the screens: (address, name, value) applied through the bridge.
    void applyFreeStyle(const QVariant &params);
    /// Reads one module and emits dataReady; a time constant above 0 is set on the module first
    /// when it differs. False when the module did not answer.
    bool updateData(CommonDriver *driver, int timeConstMs);
    /// `key` of the module just read with `decimals` decimals, or "---" when it is no measurement.
    QString lastReadingText(const char *key, int decimals) const;
    /// Decimals of the last temperature read: 3 below FineTemperatureBelowK, else 2.
    int temperatureDecimals() const;
    void pollAllModules();
    /// One step of the sweep in progress; the worker goes idle when it has ended. False when
    /// no step was taken.
    bool takeSweepStep();
    /// Reads one module for the sweep or histogram in progress: dataReady, then runReading.
    bool updateRunData(CommonDriver *driver);
    void pollActiveChannels();
    void waitForCommandOrPoll(int waitMs);
    /// Ends the loop: waits out a requestStop() still holding the queue lock, then finished.
    void finish();

    /// Sends `commands` in turn, each needing "ok"; then reads the module list again, says
    /// `successText` and polls every module once. Exactly one message or error in every case.
    void changeCrate(const QStringList &commands, const QString &successText);

    RecycleSession *m_recycle; ///< child of the worker
    CrateSession *m_session;   ///< child of the worker, so that its link and drivers share its thread
    SweepRunner *m_sweep;      ///< child of the worker
    QMutex m_queueLock;
    QList<QueuedCommand> m_commandQueue;
    QElapsedTimer m_modeTimer;
    WorkerAsync::WorkerMode m_mode = WorkerAsync::WorkerModeNoAction;
    QList<int> m_activeChannels;
    QVariantHash m_lastData; ///< values of the module read last
    int m_timeConstMs = 0;
    QWaitCondition m_queueSignal;
    quint64 m_pass = 0; ///< loop passes so far
};
