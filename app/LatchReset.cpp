#include "LatchReset.h"

#include <QTimer>
#include <QtMath>

LatchReset::LatchReset(BiasWriter writeBias, QObject *parent)
    : QObject(parent), m_writeBias(std::move(writeBias))
{
}

void LatchReset::rememberSetPoint(int address, double amperes)
{
    if (qIsFinite(amperes))
        m_setPoints.insert(address, amperes);
}

bool LatchReset::reset(int address, double measuredBias)
{
    if (m_resetting.contains(address))
        return false;
    // A measured bias carries read-out noise; land on the value the bias field shows.
    const double fallback =
        qIsFinite(measuredBias) ? qRound64(measuredBias / BiasResolution) * BiasResolution : 0;
    const double setPoint = m_setPoints.value(address, fallback);
    m_resetting.insert(address);
    m_writeBias(address, 0.0);
    QTimer::singleShot(HoldMs, this, [this, address, setPoint] {
        m_writeBias(address, setPoint);
        m_resetting.remove(address);
    });
    return true;
}
