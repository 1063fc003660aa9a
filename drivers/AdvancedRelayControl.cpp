#include "AdvancedRelayControl.h"
#include "TempDriverM1.h"

#include <algorithm>

AdvancedRelayControl::AdvancedRelayControl(TempDriverM1 *driver, cRelaysStatus::RelayIndex index,
                                           bool polarity, QObject *parent)
    : QObject(parent), m_driver(driver), m_polarity(polarity), m_index(index)
{
    m_offTimer.setSingleShot(true);
    m_offTimer.setInterval(DefaultOffTimeMs);
    connect(&m_offTimer, &QTimer::timeout, this, &AdvancedRelayControl::toggleBack);
    // Bound once here: a second schedule replaces the first instead of stepping twice per period.
    connect(&m_mainTimer, &QTimer::timeout, this, &AdvancedRelayControl::scheduleStep);
    // Agree with the relay as found, so that checkState() does not count it as a mismatch.
    m_mustBeEnabled = (m_polarity == getRelayState());
}

AdvancedRelayControl::~AdvancedRelayControl()
{
    stop();
}

void AdvancedRelayControl::setRelay(bool enable)
{
    m_mustBeEnabled = enable;
    if (!m_driver)
        return;
    cRelaysStatus value;
    value.setValue(m_index, enable == m_polarity);
    m_driver->relaysStatus()->setValueSync(value, nullptr, BusAttempts);
}

bool AdvancedRelayControl::getRelayState()
{
    if (!m_driver)
        return false;
    bool ok = false;
    const cRelaysStatus status = m_driver->relaysStatus()->getValueSync(&ok, BusAttempts);
    return ok && status[m_index - 1] != 0;
}

bool AdvancedRelayControl::checkState()
{
    const bool energised = getRelayState();
    m_readedState = energised;
    if (energised == (m_mustBeEnabled == m_polarity)) {
        m_errorBudget = ErrorBudget;
        return true;
    }
    const bool tolerated = m_errorBudget > 0;
    if (tolerated)
        --m_errorBudget;
    return tolerated;
}

void AdvancedRelayControl::stop()
{
    setRelay(true);
    m_errorBudget = ErrorBudgetAfterStop;
    m_mainTimer.stop();
    m_offTimer.stop();
    m_state = RelayStateIdle;
}

void AdvancedRelayControl::temporarySetRelayOff(uint32_t timeBeforeToggleback)
{
    setRelay(false);
    m_state = RelayStateTemporaryOff;
    m_offTimer.start(timeBeforeToggleback > 0 ? int(std::min<uint32_t>(timeBeforeToggleback, INT32_MAX))
                                              : DefaultOffTimeMs);
}

void AdvancedRelayControl::toggleBack()
{
    setRelay(true);
    m_state = m_mainTimer.isActive() ? RelayStateSchedule : RelayStateIdle;
    emit processFinished();
}

void AdvancedRelayControl::beginRelaySchedule(unsigned int period, unsigned int offTime, bool singleShot)
{
    m_schedulePeriodMs = std::max(period, MinSchedulePeriodMs);
    m_scheduleOffTimeMs = offTime;
    stop();
    m_mainTimer.setSingleShot(singleShot);
    m_state = RelayStateSchedule;
    m_mainTimer.start(int(std::min<unsigned>(m_schedulePeriodMs, INT32_MAX)));
}

void AdvancedRelayControl::scheduleStep()
{
    m_mainTimer.setInterval(int(std::min<unsigned>(m_schedulePeriodMs + m_scheduleOffTimeMs, INT32_MAX)));
    temporarySetRelayOff(m_scheduleOffTimeMs);
}

int AdvancedRelayControl::getElapsed() const
{
    switch (m_state) {
    case RelayStateSchedule:
        return std::max(0, m_mainTimer.remainingTime());
    case RelayStateTemporaryOff:
        return std::max(0, m_offTimer.remainingTime());
    default:
        return 0;
    }
}
