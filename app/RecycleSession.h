#pragma once

#include "TemperatureRecycleInterface.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QVariantMap>

class CommonDriver;
class TempDriverM1;

/// The temperature recycle as the worker runs it: finds the four-channel temperature module in
/// the worker's drivers, starts and aborts the procedure on it, and while a screen watches it
/// (monitoring) or the procedure runs, reads the stage temperatures and the relays and reports
/// them. Lives on the worker thread; the loop calls `service()` once per pass.
///
/// The procedure ends cleanly whenever its drivers go (a new connection, a changed module list,
/// the program closing) and when the temperature module stops answering: the relays are
/// commanded to their resting state (pump heater off, heat switch closed) and the detectors
/// restored; the report names those that could not be.
class RecycleSession : public QObject
{
    Q_OBJECT
public:
    static constexpr int StatusPeriodMs = 500;     ///< readings and report while active
    static constexpr int ServiceWaitMs = 20;       ///< longest sleep of the worker loop while active
    static constexpr int LostAfterFailedReads = 3; ///< failed readings in a row that end a run
    static constexpr int StageChannel = 0;         ///< thermometer on the cold plate
    static constexpr int PumpChannel = 3;          ///< thermometer on the sorption pump
    /// K above the stage temperature a run started at that still counts as the detectors'
    /// operating temperature: readings carry a few mK of noise, and a stage that relaxes back
    /// towards its bath comes within this soon.
    static constexpr double OperatingMarginK = 0.1;

    /// What the screens ask for, queued to the worker as (request, payload).
    enum Request
    {
        RequestStart,     ///< payload: heating, thermalization and cooling times, ms
        RequestAbort,     ///< no payload
        RequestMonitoring ///< payload: bool
    };

    explicit RecycleSession(QObject *parent = nullptr);

    /// Carries out one queued request, a QVariantList (Request, payload); others are ignored.
    void handleRequest(const QVariant &params);
    ~RecycleSession() override;

    /// The worker's drivers after a new module list; an empty list before the old drivers go.
    /// A running procedure is ended first.
    void setDrivers(const QList<CommonDriver *> &drivers);
    /// Starts the procedure with these times, ms. False (and a reason in the report) without a
    /// four-channel temperature module or while one runs.
    bool start(unsigned int heatMs, unsigned int thermalizationMs, unsigned int coolingMs);
    /// Aborts a running procedure. The detectors stay shorted until the stage is back below the
    /// temperature the run started at (plus OperatingMarginK), and the report says so.
    void abort();
    /// Readings are taken and reported while on, even without a running procedure.
    void setMonitoring(bool on);
    /// Running or monitored: the worker loop must call service() often.
    bool isActive() const;
    bool isRunning() const { return m_recycle && m_recycle->isRunning(); }
    /// One pass: lets the procedure's timers run, then reads and reports when a report is due.
    void service();

signals:
    /// The report: see RecycleController for the keys.
    void statusChanged(const QVariantMap &status);

private:
    void end(const QString &reason);
    /// Ends a run for `why`, keeping the detectors shorted while the stage is warm.
    void abortRun(const QString &why);
    /// Releases held detectors once the last reading shows the stage cold again.
    void releaseWhenCold();
    /// The stage temperature of the last good reading, K; NaN without one.
    double stageTemperature() const;
    void onStateChanged(TemperatureRecycleInterface::TemperatureRecycleState state);
    /// Reads temperatures and relays; false when the module did not answer.
    bool read();
    void report();
    TemperatureRecycleInterface *recycle();

    QList<CommonDriver *> m_drivers;
    QPointer<TempDriverM1> m_temperatureModule;
    QPointer<TemperatureRecycleInterface> m_recycle;
    bool m_monitoring = false;
    int m_failedReads = 0;
    QElapsedTimer m_sinceReport;
    QVariantMap m_status;
    QString m_outcome;
    uint32_t m_progress = 0;
    double m_operatingLimitK = 0; ///< detectors are released below this stage temperature; NaN: unknown
};
