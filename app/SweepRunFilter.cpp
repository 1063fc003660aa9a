#include "SweepRunFilter.h"

quint64 SweepRunFilter::begin(int address)
{
    m_address = address;
    return ++m_run;
}

bool SweepRunFilter::accepts(int address, quint64 run) const
{
    return m_run != 0 && run == m_run && address == m_address;
}
