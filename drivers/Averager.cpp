#include "Averager.h"

Averager::Averager(unsigned int maxLen) : m_maxLen(maxLen) {}

void Averager::setMaxLen(const unsigned int &maxLen)
{
    m_maxLen = maxLen;
}

double Averager::average(double x)
{
    m_sum += x;
    m_samples.append(x);
    while (m_samples.size() > qsizetype(m_maxLen) && !m_samples.isEmpty())
        m_sum -= m_samples.takeFirst();
    if (m_samples.size() > qsizetype(m_maxLen / 2))
        calcTrend(getAvg());
    return getAvg();
}

void Averager::calcTrend(double avg)
{
    m_averages.append(avg);
    while (m_averages.size() > qsizetype(m_maxLen) && m_averages.size() > 1)
        m_averages.removeFirst();
    m_trend = m_averages.last() - m_averages.first();
}

double Averager::getAvg() const
{
    return m_samples.isEmpty() ? 0.0 : m_sum / double(m_samples.size());
}

void Averager::reset()
{
    m_samples.clear();
    m_averages.clear();
    m_sum = 0.0;
    m_trend = 0.0;
}
