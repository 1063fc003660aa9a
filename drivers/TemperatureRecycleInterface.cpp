#include "TemperatureRecycleInterface.h"
#include "SspdDriverM0.h"
#include "SspdDriverM1.h"
#include "StatusByte.h"

#include <algorithm>

namespace {
constexpr int PercentScale = 100;

/// The detector's short switch and status, whichever SSPD modification it is; false for others.
template <typename Visit> bool withSspd(CommonDriver *driver, Visit visit)
{
    if (auto *m0 = qobject_cast<SspdDriverM0 *>(driver)) {
        visit(m0);
        return true;
    }
    if (auto *m1 = qobject_cast<SspdDriverM1 *>(driver)) {
        visit(m1);
        return true;
    }
    return false;
}

int clampedMs(unsigned int ms)
{
    return int(std::min<unsigned int>(ms, INT32_MAX));
}
} // namespace

TemperatureRecycleInterface::TemperatureRecycleInterface(TempDriverM1 *driver, QList<CommonDriver *> *drivers,
                                                         QObject *parent)
    : QObject(parent),
      m_heatSwitchRelay(new AdvancedRelayControl(driver, cRelaysStatus::RelayIndex2, true, this)),
      m_heaterRelay(new AdvancedRelayControl(driver, cRelaysStatus::RelayIndex1, false, this)),
      m_drivers(drivers)
{
    qRegisterMetaType<TemperatureRecycleState>();
    m_coolDownTimer.setSingleShot(true);
    connect(this, &TemperatureRecycleInterface::stateChanged, this,
            [this](TemperatureRecycleState state) { m_state = state; });
    connect(&m_progressTimer, &QTimer::timeout, this, &TemperatureRecycleInterface::reportProgress);
    connect(&m_coolDownTimer, &QTimer::timeout, this, &TemperatureRecycleInterface::restoreSSPDParams);
    connect(m_heaterRelay, &AdvancedRelayControl::processFinished, this,
            &TemperatureRecycleInterface::heatingDone);
    connect(m_heatSwitchRelay, &AdvancedRelayControl::processFinished, this,
            &TemperatureRecycleInterface::startWaitCoolingDown);
}

TemperatureRecycleInterface::~TemperatureRecycleInterface() = default;

QString TemperatureRecycleInterface::toString(TemperatureRecycleState state)
{
    switch (state) {
    case StateSavingParams:
        return QStringLiteral("Saving Params");
    case StateSetupSspd:
        return QStringLiteral("Setup SSPD");
    case StateStartingRecycle:
        return QStringLiteral("Starting Recycle");
    case StateHeating:
        return QStringLiteral("Heating");
    case StateThermalization:
        return QStringLiteral("Thermalization");
    case StateCoolingDown:
        return QStringLiteral("Cooling Down");
    case StateFinishRecycling:
        return QStringLiteral("Finish Recycling");
    case StateProcessAborted:
        return QStringLiteral("Process Aborted");
    default:
        return QString();
    }
}

void TemperatureRecycleInterface::setParameters(const unsigned int &heat, const unsigned int &thermalization,
                                                const unsigned int &cooling)
{
    m_heatMs = heat;
    m_thermalizationMs = thermalization;
    m_coolingMs = cooling;
}

void TemperatureRecycleInterface::startProcess(unsigned int heat, unsigned int thermalization,
                                               unsigned int cooling)
{
    if (isRunning() || holdsDetectors())
        return;
    emit stateChanged(StateStartingRecycle);
    m_progress = 0;
    m_unrestored.clear();
    saveSSPDParams();
    prepareSSPD();
    startRecycle(heat, thermalization, cooling);
}

void TemperatureRecycleInterface::startRecycle(unsigned int heat, unsigned int thermalization,
                                               unsigned int cooling)
{
    emit stateChanged(StateHeating);
    setParameters(heat, thermalization, cooling);
    startRecycle();
    m_runClock.start();
    m_progressTimer.start(ProgressTickMs);
}

void TemperatureRecycleInterface::startRecycle()
{
    m_heaterRelay->temporarySetRelayOff(m_heatMs);
    m_heatSwitchRelay->temporarySetRelayOff(m_heatMs + m_thermalizationMs);
}

void TemperatureRecycleInterface::heatingDone()
{
    if (m_state == StateHeating)
        emit stateChanged(StateThermalization);
}

void TemperatureRecycleInterface::startWaitCoolingDown()
{
    if (m_state != StateHeating && m_state != StateThermalization)
        return;
    emit stateChanged(StateCoolingDown);
    m_coolDownTimer.start(clampedMs(m_coolingMs));
}

void TemperatureRecycleInterface::saveSSPDParams()
{
    emit stateChanged(StateSavingParams);
    m_saved.clear();
    if (!m_drivers)
        return;
    for (CommonDriver *driver : std::as_const(*m_drivers)) {
        SavedDetector saved{driver};
        const bool sspd = withSspd(driver, [&saved](auto *sspd) {
            bool ok = false;
            const float current = sspd->current()->getValueSync(&ok, BusAttempts);
            if (ok)
                saved.current = current;
            const auto status = sspd->status()->getValueSync(&ok, BusAttempts);
            if (ok)
                saved.shorted = (status.toByte() >> SspdStatusBit::Short) & 1;
        });
        if (sspd)
            m_saved.append(saved);
    }
}

void TemperatureRecycleInterface::prepareSSPD()
{
    emit stateChanged(StateSetupSspd);
    if (!m_drivers)
        return;
    for (CommonDriver *driver : std::as_const(*m_drivers))
        withSspd(driver, [](auto *sspd) { sspd->shortEnable()->setValueSync(true, nullptr, BusAttempts); });
}

void TemperatureRecycleInterface::restoreSSPDParams()
{
    m_coolDownTimer.stop();
    m_progressTimer.stop();
    if (m_state != StateProcessAborted)
        emit stateChanged(StateFinishRecycling);
    m_unrestored.clear();
    // Only detectors that were saved are touched: one that was never shorted here stays as it is.
    for (const SavedDetector &saved : std::as_const(m_saved)) {
        if (!saved.driver)
            continue;
        bool ok = false;
        withSspd(saved.driver,
                 [&](auto *sspd) { sspd->shortEnable()->setValueSync(saved.shorted, &ok, BusAttempts); });
        if (!ok)
            m_unrestored.append(saved.driver->devAddress());
    }
    m_saved.clear();
    m_progress = 0;
    emit stateChanged(StateIdle);
    emit progress(0);
}

void TemperatureRecycleInterface::abortProcess()
{
    const bool running = isRunning();
    abortHoldingDetectors();
    if (running)
        restoreSSPDParams();
}

void TemperatureRecycleInterface::abortHoldingDetectors()
{
    if (isRunning())
        emit stateChanged(StateProcessAborted);
    m_coolDownTimer.stop();
    m_progressTimer.stop();
    m_heatSwitchRelay->stop();
    m_heaterRelay->stop();
}

void TemperatureRecycleInterface::forgetHeldDetectors()
{
    if (!holdsDetectors())
        return;
    m_saved.clear();
    emit stateChanged(StateIdle);
}

bool TemperatureRecycleInterface::checkIntegrity()
{
    const bool heatSwitch = m_heatSwitchRelay->checkState();
    const bool heater = m_heaterRelay->checkState();
    return heatSwitch && heater;
}

bool TemperatureRecycleInterface::getRelayState(cRelaysStatus::RelayIndex index)
{
    if (index == cRelaysStatus::RelayIndex1)
        return m_heaterRelay->getRelayState();
    if (index == cRelaysStatus::RelayIndex2)
        return m_heatSwitchRelay->getRelayState();
    return false;
}

bool TemperatureRecycleInterface::getReadedRelayState(cRelaysStatus::RelayIndex index) const
{
    if (index == cRelaysStatus::RelayIndex1)
        return m_heaterRelay->getReadedState();
    if (index == cRelaysStatus::RelayIndex2)
        return m_heatSwitchRelay->getReadedState();
    return false;
}

int TemperatureRecycleInterface::getElapsed() const
{
    if (m_heaterRelay->getRs() != AdvancedRelayControl::RelayStateIdle)
        return m_heaterRelay->getElapsed();
    if (m_heatSwitchRelay->getRs() != AdvancedRelayControl::RelayStateIdle)
        return m_heatSwitchRelay->getElapsed();
    return m_coolDownTimer.isActive() ? std::max(0, m_coolDownTimer.remainingTime()) : 0;
}

int TemperatureRecycleInterface::remainingTotal() const
{
    switch (m_state) {
    case StateHeating:
        return getElapsed() + clampedMs(m_thermalizationMs + m_coolingMs);
    case StateThermalization:
        return getElapsed() + clampedMs(m_coolingMs);
    case StateCoolingDown:
        return getElapsed();
    default:
        return 0;
    }
}

uint8_t TemperatureRecycleInterface::reportProgress()
{
    const qint64 total = totalMs();
    if (isRunning() && total > 0) {
        const qint64 done = std::clamp<qint64>(total - remainingTotal(), 0, total);
        m_progress = uint32_t(done * ProgressScale / total);
    }
    emit progress(m_progress);
    return uint8_t(m_progress * PercentScale / ProgressScale);
}
