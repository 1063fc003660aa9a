#include "SweepReturnOffer.h"

#include <QtMath>

namespace {
constexpr double MicroPerUnit = 1e6;
constexpr double MilliPerUnit = 1e3;
} // namespace

SweepReturnOffer::SweepReturnOffer(Restorer restore, QObject *parent)
    : QObject(parent), m_restore(std::move(restore))
{
}

QString SweepReturnOffer::text() const
{
    // The unit is the Greek mu with a Latin A, as the sweep panels write it.
    return QStringLiteral("Return SSPD %1 to %2 \u03BCA and %3 mV, as before the sweep?")
        .arg(m_address)
        .arg(m_bias * MicroPerUnit, 0, 'f', 2)
        .arg(m_level * MilliPerUnit, 0, 'g', 4);
}

void SweepReturnOffer::remember(int mode, int address, double bias, double level)
{
    m_known = qIsFinite(bias) && qIsFinite(level);
    m_mode = mode;
    m_address = address;
    // A measured bias carries read-out noise; land on the bias fields' resolution.
    m_bias = m_known ? std::round(bias / BiasResolution) * BiasResolution : 0;
    m_level = level;
    m_offered = false;
    emit changed();
}

void SweepReturnOffer::forget()
{
    m_known = false;
    setOffered(false);
}

void SweepReturnOffer::offer()
{
    setOffered(m_known);
}

void SweepReturnOffer::accept()
{
    if (!m_offered)
        return;
    setOffered(false);
    m_restore(m_address, m_bias, m_level);
}

void SweepReturnOffer::decline()
{
    setOffered(false);
}

void SweepReturnOffer::setOffered(bool offered)
{
    if (m_offered == offered)
        return;
    m_offered = offered;
    emit changed();
}
