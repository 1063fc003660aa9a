#pragma once

#include <QList>

/// Moving average over a bounded window of samples, with a trend: the change of the average
/// across the window of recent averages.
class Averager
{
public:
    explicit Averager(unsigned int maxLen);

    void setMaxLen(const unsigned int &maxLen);
    /// Adds a sample and returns the average of the window.
    double average(double x);
    /// Adds an average to the averages window; the trend is its newest minus its oldest value.
    void calcTrend(double avg);
    /// Average of the window; 0 while it is empty.
    double getAvg() const;
    double getTrend() const { return m_trend; }
    void reset();

private:
    unsigned int m_maxLen;
    QList<double> m_samples;
    QList<double> m_averages;
    double m_sum = 0.0;
    double m_trend = 0.0;
};
