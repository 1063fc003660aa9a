#pragma once

#include "cRelaysStatus.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <cstdint>

class TempDriverM1;

/// Controls one relay of a four-channel temperature module with a fixed polarity: the relay is
/// energised when the commanded enable equals the polarity. Switches it, switches it off for a
/// while and back on, runs an on/off schedule, and checks that the relay follows its commands
/// with a small error budget. Holds the driver through a guarded pointer: once the driver is
/// gone, writes do nothing and reads report a released relay.
class AdvancedRelayControl : public QObject
{
    Q_OBJECT
public:
    enum RelayState
    {
        RelayStateIdle = 0,        ///< nothing timed
        RelayStateSchedule = 1,    ///< schedule running, main timer active
        RelayStateTemporaryOff = 2 ///< switched off for a while, off timer active
    };

    static constexpr int BusAttempts = 5;                ///< per relay read or write
    static constexpr int ErrorBudget = 5;                ///< mismatches tolerated in a row by checkState()
    static constexpr int ErrorBudgetAfterStop = 2;       ///< budget left after stop()
    static constexpr int DefaultOffTimeMs = 10000;       ///< off time of temporarySetRelayOff(0)
    static constexpr unsigned MinSchedulePeriodMs = 500; ///< shortest on-time of a schedule

    AdvancedRelayControl(TempDriverM1 *driver, cRelaysStatus::RelayIndex index, bool polarity,
                         QObject *parent = nullptr);
    ~AdvancedRelayControl() override;

    /// The relay is enabled for max(period, 500) ms, disabled for offTime ms, enabled again
    /// (processFinished), and unless single-shot the cycle repeats every period + offTime ms.
    void beginRelaySchedule(unsigned int period, unsigned int offTime, bool singleShot);

    bool getReadedState() const { return m_readedState; }
    void setReadedState(bool state) { m_readedState = state; }
    bool isMustBeEnabled() const { return m_mustBeEnabled; }
    RelayState getRs() const { return m_state; }
    void setRs(const RelayState &state) { m_state = state; }
    /// Remaining ms of the main timer (schedule), of the off timer (temporarily off), else 0.
    int getElapsed() const;
    cRelaysStatus::RelayIndex index() const { return m_index; }
    bool polarity() const { return m_polarity; }

signals:
    /// A temporary off time has ended and the relay is enabled again.
    void processFinished();

public slots:
    /// Reads the relay and compares it with the last command: true when it agrees, and while
    /// the error budget lasts; the sixth mismatch in a row is the first to return false.
    bool checkState();
    /// Commands the relay: energised when `enable` equals the polarity, released otherwise.
    void setRelay(bool enable);
    /// The relay as read from the module (energised = true); false when the read fails.
    bool getRelayState();
    /// Disables the relay for `timeBeforeToggleback` ms (10000 when 0), then enables it again.
    void temporarySetRelayOff(uint32_t timeBeforeToggleback);
    /// Enables the relay and stops every timer.
    void stop();

private:
    void toggleBack();
    void scheduleStep();

    QPointer<TempDriverM1> m_driver;
    RelayState m_state = RelayStateIdle;
    bool m_polarity;
    bool m_mustBeEnabled = false;
    bool m_readedState = false;
    int m_errorBudget = ErrorBudget;
    cRelaysStatus::RelayIndex m_index;
    QTimer m_mainTimer;
    QTimer m_offTimer;
    unsigned int m_scheduleOffTimeMs = 0;
    unsigned int m_schedulePeriodMs = MinSchedulePeriodMs;
};
