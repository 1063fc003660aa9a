#pragma once

#include <QList>
#include <QtGlobal>

/// Repeats one timed exchange `warmup` + `rounds` times and keeps the last `rounds` timings.
/// The exchange returns its time (any unit), or a negative number when no reply came, which
/// ends the benchmark: figures with lost replies in them would mean nothing.
template <typename Exchange> QList<double> sampleRoundTrips(Exchange exchange, int rounds, int warmup)
{
    QList<double> samples;
    samples.reserve(rounds);
    for (int i = 0; i < rounds + warmup; ++i) {
        const double time = exchange();
        if (time < 0)
            qFatal("no reply from the simulated module");
        if (i >= warmup)
            samples << time;
    }
    return samples;
}
