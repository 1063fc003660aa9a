#pragma once

#include "AdvancedRelayControl.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <cstdint>

class CommonDriver;
class TempDriverM1;

/// The timed temperature recycle of a cryostat's sorption stage, driven by two relays of a
/// four-channel temperature module: relay 1 heats the pump, relay 2 works the heat switch that
/// cools it. The procedure saves and shorts every SSPD detector, heats, lets the stage
/// thermalize, cools down, then restores the detectors' short state.
///
/// Relay 1 has polarity false and relay 2 polarity true, so in the resting state (both
/// enabled) the heater is off and the heat switch closed; abort and disconnect return there.
/// Drivers are held through guarded pointers: a driver that is gone is skipped.
class TemperatureRecycleInterface : public QObject
{
    Q_OBJECT
public:
    enum TemperatureRecycleState
    {
        StateIdle = 0,
        StateSavingParams = 1,
        StateSetupSspd = 2,
        StateStartingRecycle = 3,
        StateHeating = 4,
        StateThermalization = 5,
        StateCoolingDown = 6,
        StateFinishRecycling = 7,
        StateProcessAborted = 8,
    };
    Q_ENUM(TemperatureRecycleState)

    static constexpr int ProgressTickMs = 200;       ///< period of the progress report
    static constexpr uint32_t ProgressScale = 10000; ///< progress() of a finished procedure
    static constexpr int BusAttempts = 5;            ///< per detector read or write

    TemperatureRecycleInterface(TempDriverM1 *driver, QList<CommonDriver *> *drivers,
                                QObject *parent = nullptr);
    ~TemperatureRecycleInterface() override;

    /// The detectors to protect; only SSPD drivers in it are saved, shorted and restored.
    void setDrivers(QList<CommonDriver *> *drivers) { m_drivers = drivers; }

    /// The whole procedure, times in ms: save and short the detectors, heat for `heat`,
    /// thermalize for `thermalization`, cool for `cooling`, restore the detectors. Ignored while
    /// a procedure is running or detectors are held.
    void startProcess(unsigned int heat, unsigned int thermalization, unsigned int cooling);
    /// The relay phases alone with these times, without saving or shorting the detectors.
    void startRecycle(unsigned int heat, unsigned int thermalization, unsigned int cooling);
    /// Starts the two relays' off times with the stored times; no states, no progress.
    void startRecycle();
    /// Stops a running procedure: state 8, both relays back to their resting state, the detectors
    /// restored from what was saved. Without a running procedure only the relays are rested.
    void abortProcess();
    /// As abortProcess(), but the detectors stay shorted: on a stage still warm from heating they
    /// would latch at once. restoreSSPDParams() releases them later, forgetHeldDetectors() never.
    void abortHoldingDetectors();
    /// Detectors are held shorted after an abort, waiting for restoreSSPDParams().
    bool holdsDetectors() const { return m_state == StateProcessAborted && !m_saved.isEmpty(); }
    /// Gives up the held detectors: they stay as they are, and the procedure is idle.
    void forgetHeldDetectors();
    void setParameters(const unsigned int &heat, const unsigned int &thermalization,
                       const unsigned int &cooling);

    /// Reads current and short state of every SSPD detector; a failed read keeps "shorted".
    void saveSSPDParams();
    /// Shorts every SSPD detector.
    void prepareSSPD();
    /// Both relays follow their commands (within their error budgets); both are always checked.
    bool checkIntegrity();
    /// Relay 1 or 2 as read from the module now; false for other relays.
    bool getRelayState(cRelaysStatus::RelayIndex index);
    /// Relay 1 or 2 as last read by checkIntegrity(); false for other relays.
    bool getReadedRelayState(cRelaysStatus::RelayIndex index) const;
    TemperatureRecycleState getCurrentState() const { return m_state; }
    void setCurrentState(const TemperatureRecycleState &state) { m_state = state; }
    /// Remaining ms of the running phase (heating, thermalization, cooling), 0 when none runs.
    int getElapsed() const;
    /// Remaining ms of the whole procedure, 0 when none runs.
    int remainingTotal() const;
    bool isRunning() const { return m_state != StateIdle && m_state != StateProcessAborted; }
    /// Bus addresses of the detectors whose short state the last restore could not write.
    QList<int> unrestoredAddresses() const { return m_unrestored; }
    static QString toString(TemperatureRecycleState state);

signals:
    void stateChanged(TemperatureRecycleInterface::TemperatureRecycleState state);
    /// Part of the procedure done, 0 .. ProgressScale.
    void progress(uint32_t value);

public slots:
    /// Writes the saved short state back to the detectors that were saved, and ends the procedure.
    void restoreSSPDParams();
    void startWaitCoolingDown();
    /// Reports the part done (progress signal) and returns it in percent.
    uint8_t reportProgress();

private:
    struct SavedDetector
    {
        QPointer<CommonDriver> driver;
        double current = 0.0; ///< A
        bool shorted = true;
    };

    void heatingDone();
    unsigned int totalMs() const { return m_heatMs + m_thermalizationMs + m_coolingMs; }

    QTimer m_progressTimer;
    QTimer m_coolDownTimer;
    uint32_t m_progress = 0;
    TemperatureRecycleState m_state = StateIdle;
    unsigned int m_heatMs = 0;
    unsigned int m_thermalizationMs = 0;
    unsigned int m_coolingMs = 0;
    AdvancedRelayControl *m_heatSwitchRelay; ///< relay 2, polarity true
    AdvancedRelayControl *m_heaterRelay;     ///< relay 1, polarity false
    QList<CommonDriver *> *m_drivers;
    QList<SavedDetector> m_saved;
    QList<int> m_unrestored;
    QElapsedTimer m_runClock; ///< since the relay phases began
};

Q_DECLARE_METATYPE(TemperatureRecycleInterface::TemperatureRecycleState)
