#include "RecycleController.h"
#include "RecycleSession.h"

#include <QStringList>
#include <cmath>

namespace {
constexpr double MilliPerUnit = 1000.0;

bool acceptable(double seconds)
{
    return std::isfinite(seconds) && seconds >= RecycleController::MinPhaseSeconds &&
           seconds <= RecycleController::MaxPhaseSeconds;
}
} // namespace

RecycleController::RecycleController(Sender sender, QObject *parent)
    : QObject(parent), m_send(std::move(sender))
{
}

QString RecycleController::outcome() const
{
    QString text = m_status.value(QStringLiteral("outcome")).toString();
    QStringList unrestored;
    for (const QVariant &address : m_status.value(QStringLiteral("unrestored")).toList())
        unrestored << address.toString();
    if (!unrestored.isEmpty())
        text += QStringLiteral("\nThe short state of the detectors at addresses %1 could not be restored: "
                               "check them before biasing.")
                    .arg(unrestored.join(QStringLiteral(", ")));
    return text;
}

void RecycleController::setMonitoring(bool on)
{
    if (m_monitoring == on)
        return;
    m_monitoring = on;
    m_send({RecycleSession::RequestMonitoring, on});
    emit monitoringChanged();
}

bool RecycleController::start(double heatingSeconds, double thermalizationSeconds, double coolingSeconds)
{
    if (!acceptable(heatingSeconds) || !acceptable(thermalizationSeconds) || !acceptable(coolingSeconds))
        return false;
    const QVariantList times{qRound64(heatingSeconds * MilliPerUnit),
                             qRound64(thermalizationSeconds * MilliPerUnit),
                             qRound64(coolingSeconds * MilliPerUnit)};
    m_send({RecycleSession::RequestStart, times});
    return true;
}

void RecycleController::abort()
{
    m_send({RecycleSession::RequestAbort, QVariant()});
}

void RecycleController::applyStatus(const QVariantMap &status)
{
    const bool readings = status.value(QStringLiteral("time")) != m_status.value(QStringLiteral("time"));
    m_status = status;
    emit statusChanged();
    if (readings && status.contains(QStringLiteral("time")))
        emit temperatureRead(status.value(QStringLiteral("time")).toDouble(),
                             status.value(QStringLiteral("stageTemperature")).toDouble(),
                             status.value(QStringLiteral("pumpTemperature")).toDouble());
}
