#include "RecycleSession.h"
#include "AppLogging.h"
#include "TempDriverM1.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QtMath>
#include <limits>

namespace {
const QString FinishedText = QStringLiteral("Recycle finished");

QVariantList addressList(const QList<int> &addresses)
{
    QVariantList list;
    for (int address : addresses)
        list << address;
    return list;
}
} // namespace

RecycleSession::RecycleSession(QObject *parent) : QObject(parent) {}

RecycleSession::~RecycleSession() = default;

void RecycleSession::setDrivers(const QList<CommonDriver *> &drivers)
{
    end(QStringLiteral("the crate connection or module list changed"));
    // Held detectors belong to drivers that go now: they stay shorted, as the report says.
    if (m_recycle)
        m_recycle->forgetHeldDetectors();
    delete m_recycle.data();
    m_drivers = drivers;
    m_temperatureModule = nullptr;
    for (CommonDriver *driver : drivers) {
        if (auto *module = qobject_cast<TempDriverM1 *>(driver)) {
            m_temperatureModule = module;
            break;
        }
    }
    m_status.clear();
    m_outcome.clear();
    report();
}

void RecycleSession::handleRequest(const QVariant &params)
{
    const QVariantList list = params.toList();
    if (list.size() != 2)
        return;
    const QVariant payload = list.at(1);
    switch (list.at(0).toInt()) {
    case RequestStart: {
        const QVariantList times = payload.toList();
        bool ok[3] = {};
        const auto ms = [&](int i) { return times.size() == 3 ? times.at(i).toUInt(&ok[i]) : 0u; };
        const unsigned int heat = ms(0), thermalization = ms(1), cooling = ms(2);
        if (ok[0] && ok[1] && ok[2] && heat > 0 && thermalization > 0 && cooling > 0)
            start(heat, thermalization, cooling);
        break;
    }
    case RequestAbort:
        abort();
        break;
    case RequestMonitoring:
        setMonitoring(payload.toBool());
        break;
    default:
        break;
    }
}

TemperatureRecycleInterface *RecycleSession::recycle()
{
    if (!m_recycle && m_temperatureModule) {
        m_recycle = new TemperatureRecycleInterface(m_temperatureModule, &m_drivers, this);
        connect(m_recycle, &TemperatureRecycleInterface::stateChanged, this, &RecycleSession::onStateChanged);
        connect(m_recycle, &TemperatureRecycleInterface::progress, this,
                [this](uint32_t value) { m_progress = value; });
    }
    return m_recycle;
}

bool RecycleSession::start(unsigned int heatMs, unsigned int thermalizationMs, unsigned int coolingMs)
{
    TemperatureRecycleInterface *procedure = recycle();
    if (!procedure || procedure->isRunning()) {
        m_outcome = procedure ? QStringLiteral("A recycle is running already")
                              : QStringLiteral("The crate has no four-channel temperature module");
        report();
        return false;
    }
    qCDebug(lcWorker) << "recycle start" << heatMs << thermalizationMs << coolingMs;
    if (procedure->holdsDetectors()) {
        m_outcome = QStringLiteral("The detectors are still held shorted after the last abort");
        report();
        return false;
    }
    m_outcome.clear();
    m_failedReads = 0;
    // The detectors work at the stage temperature found now; an abort keeps them shorted until
    // the stage is back there.
    const double found = read() ? stageTemperature() : std::numeric_limits<double>::quiet_NaN();
    m_operatingLimitK = found + OperatingMarginK;
    procedure->startProcess(heatMs, thermalizationMs, coolingMs);
    report();
    return true;
}

void RecycleSession::abort()
{
    if (!isRunning()) {
        if (m_recycle)
            m_recycle->abortProcess();
    } else {
        read();
        abortRun(QString());
        releaseWhenCold();
    }
    report();
}

void RecycleSession::end(const QString &reason)
{
    if (!isRunning())
        return;
    qCDebug(lcWorker) << "recycle ended:" << reason;
    abortRun(reason);
}

void RecycleSession::abortRun(const QString &why)
{
    m_recycle->abortHoldingDetectors();
    const QString prefix =
        TemperatureRecycleInterface::toString(TemperatureRecycleInterface::StateProcessAborted) +
        (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
    if (!m_recycle->holdsDetectors()) {
        m_outcome = prefix;
        return;
    }
    m_outcome = qIsNaN(m_operatingLimitK)
                    ? QStringLiteral("%1; the detectors stay shorted (the stage temperature the run "
                                     "started at is unknown)")
                          .arg(prefix)
                    : QStringLiteral("%1; the detectors stay shorted until the stage is back below %2 K")
                          .arg(prefix)
                          .arg(m_operatingLimitK, 0, 'f', 2);
}

void RecycleSession::releaseWhenCold()
{
    if (!m_recycle || !m_recycle->holdsDetectors() || !(stageTemperature() < m_operatingLimitK))
        return;
    qCDebug(lcWorker) << "stage back at" << stageTemperature() << "K: detectors released";
    m_recycle->restoreSSPDParams();
    m_outcome = QStringLiteral("Process Aborted; the stage is back below %1 K and the detectors are restored")
                    .arg(m_operatingLimitK, 0, 'f', 2);
}

double RecycleSession::stageTemperature() const
{
    return m_status.value(QStringLiteral("stageTemperature"), std::numeric_limits<double>::quiet_NaN())
        .toDouble();
}

void RecycleSession::onStateChanged(TemperatureRecycleInterface::TemperatureRecycleState state)
{
    if (state == TemperatureRecycleInterface::StateProcessAborted)
        m_outcome = TemperatureRecycleInterface::toString(state);
    else if (state == TemperatureRecycleInterface::StateFinishRecycling)
        m_outcome = FinishedText;
    report();
}

void RecycleSession::setMonitoring(bool on)
{
    m_monitoring = on;
    if (on)
        report();
}

bool RecycleSession::isActive() const
{
    return m_monitoring || isRunning() || (m_recycle && m_recycle->holdsDetectors());
}

void RecycleSession::service()
{
    if (!isActive())
        return;
    // The loop sleeps on its queue rather than in an event loop: the procedure's timers and the
    // link's notifications are handed over here.
    QCoreApplication::processEvents();
    if (m_sinceReport.isValid() && m_sinceReport.elapsed() < StatusPeriodMs)
        return;
    if (read()) {
        m_failedReads = 0;
        releaseWhenCold();
    } else if (++m_failedReads >= LostAfterFailedReads) {
        end(QStringLiteral("the temperature module does not answer"));
    }
    report();
}

bool RecycleSession::read()
{
    if (!m_temperatureModule)
        return false;
    if (!m_temperatureModule->updateTemperature())
        return false;
    m_status.insert(QStringLiteral("stageTemperature"),
                    m_temperatureModule->currentTemperature(StageChannel));
    m_status.insert(QStringLiteral("pumpTemperature"), m_temperatureModule->currentTemperature(PumpChannel));
    m_status.insert(QStringLiteral("time"), double(QDateTime::currentMSecsSinceEpoch()));
    if (TemperatureRecycleInterface *procedure = recycle()) {
        m_status.insert(QStringLiteral("integrity"), procedure->checkIntegrity());
        m_status.insert(QStringLiteral("relay1"), procedure->getReadedRelayState(cRelaysStatus::RelayIndex1));
        m_status.insert(QStringLiteral("relay2"), procedure->getReadedRelayState(cRelaysStatus::RelayIndex2));
    }
    return true;
}

void RecycleSession::report()
{
    m_sinceReport.start();
    const auto state = m_recycle ? m_recycle->getCurrentState() : TemperatureRecycleInterface::StateIdle;
    m_status.insert(QStringLiteral("available"), !m_temperatureModule.isNull());
    m_status.insert(QStringLiteral("running"), isRunning());
    m_status.insert(QStringLiteral("state"), int(state));
    m_status.insert(QStringLiteral("stateText"), TemperatureRecycleInterface::toString(state));
    m_status.insert(QStringLiteral("remainingMs"), m_recycle ? m_recycle->remainingTotal() : 0);
    m_status.insert(QStringLiteral("phaseRemainingMs"), m_recycle ? m_recycle->getElapsed() : 0);
    m_status.insert(QStringLiteral("progress"),
                    isRunning() ? double(m_progress) / TemperatureRecycleInterface::ProgressScale : 0.0);
    m_status.insert(QStringLiteral("outcome"), m_outcome);
    m_status.insert(QStringLiteral("unrestored"),
                    addressList(m_recycle ? m_recycle->unrestoredAddresses() : QList<int>()));
    m_status.insert(QStringLiteral("failedReads"), m_failedReads);
    emit statusChanged(m_status);
}
