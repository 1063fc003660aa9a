#pragma once

#include <QList>

#include <algorithm>

/// Order statistics of timing samples (any unit).
class SampleStats
{
public:
    explicit SampleStats(QList<double> samples) : m_samples(std::move(samples))
    {
        std::sort(m_samples.begin(), m_samples.end());
    }

    /// The value below which `fraction` (0 to 1) of the samples lie; 0 for no samples.
    double percentile(double fraction) const
    {
        if (m_samples.isEmpty())
            return 0;
        const auto index = static_cast<qsizetype>(fraction * static_cast<double>(m_samples.size() - 1) + 0.5);
        return m_samples.at(std::clamp<qsizetype>(index, 0, m_samples.size() - 1));
    }
    double median() const { return percentile(0.5); }
    qsizetype count() const { return m_samples.size(); }

private:
    QList<double> m_samples;
};
