// Round trip of a 3-byte module request and its 20-byte reply record over loopback, through the
// TCP link and, as the baseline in the same run, through a bare QTcpSocket with the same bytes.
#include "LinkRoundTrip.h"
#include "RoundTripSampler.h"
#include "SampleStats.h"
#include "SimulatorProcess.h"
#include "vtTcpSocketIOInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTextStream>

#include <cstdio>

namespace {
constexpr quint8 ModuleAddress = 1;   ///< an SSPD module of the default simulated crate
constexpr quint8 ParamsGetter = 0x1D; ///< answered with a 20-byte record
constexpr int ReplyRecordBytes = 3 + 20;
constexpr int Rounds = 2000;
constexpr int Warmup = 100;
constexpr int ReplyWaitMs = 1000;

double rawRoundTripUs(QTcpSocket &socket)
{
    const char request[] = {ModuleAddress, static_cast<char>(ParamsGetter), 0};
    QElapsedTimer clock;
    clock.start();
    socket.write(request, sizeof request);
    socket.flush();
    qint64 received = 0;
    while (received < ReplyRecordBytes && socket.waitForReadyRead(ReplyWaitMs))
        received += socket.readAll().size();
    return received >= ReplyRecordBytes ? clock.nsecsElapsed() / 1000.0 : -1;
}

template <typename RoundTrip> SampleStats measure(RoundTrip roundTrip)
{
    return SampleStats(sampleRoundTrips(roundTrip, Rounds, Warmup));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SimulatorProcess simulator;
    vtTcpSocketIOInterface link;
    connectToSimulator(simulator, link);
    QTcpSocket raw;
    raw.connectToHost(simulator.address(), simulator.port());
    if (!raw.waitForConnected(ReplyWaitMs))
        qFatal("no connection to the simulator");

    // Interleaved halves so that machine noise hits both alike.
    const SampleStats rawFirst = measure([&] { return rawRoundTripUs(raw); });
    const SampleStats viaLink =
        measure([&] { return linkRoundTripUs(link, ModuleAddress, ParamsGetter, ReplyWaitMs); });
    const SampleStats rawSecond = measure([&] { return rawRoundTripUs(raw); });
    const double rawMedian = (rawFirst.median() + rawSecond.median()) / 2;

    QTextStream out(stdout);
    out << "round trip, 3-byte request / 20-byte reply, " << Rounds << " rounds each\n";
    out << QString("  raw QTcpSocket           median %1 us  p99 %2 us\n")
               .arg(rawMedian, 0, 'f', 1)
               .arg(std::max(rawFirst.percentile(0.99), rawSecond.percentile(0.99)), 0, 'f', 1);
    out << QString("  vtTcpSocketIOInterface   median %1 us  p99 %2 us\n")
               .arg(viaLink.median(), 0, 'f', 1)
               .arg(viaLink.percentile(0.99), 0, 'f', 1);
    out << QString("  ratio link / raw (medians) %1\n").arg(viaLink.median() / rawMedian, 0, 'f', 2);
    return 0;
}
