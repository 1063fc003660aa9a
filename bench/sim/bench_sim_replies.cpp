// What the detector model costs the simulator: round trips of the SSPD data record (physics
// catch-up, Poisson draw, read-out noise) against the module type string (a constant) as the
// baseline, on one connection in the same run; and the same two as bursts of 500 pipelined requests,
// with the temperature module's data record (cryostat, thermometer noise, table look-up) beside them.
#include "RoundTripSampler.h"
#include "SampleStats.h"
#include "SimulatorProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTextStream>

namespace {
constexpr char ModuleAddress = 1;      ///< an SSPD M0 module of the built-in crate
constexpr char ThermometerAddress = 5; ///< the temperature M0 module of the built-in crate
constexpr char TypeGetter = 6;         ///< reply: 3 + 7 bytes, a constant text
constexpr char DataGetter = 16;        ///< reply: 3 + 16 bytes, drawn from the detector model
constexpr int TypeReplyBytes = 10;
constexpr int DataReplyBytes = 19;
constexpr int TemperatureReplyBytes = 31; ///< 3 + 28 bytes
constexpr int Rounds = 2000;
constexpr int Warmup = 100;
constexpr int Pipelined = 500;
constexpr int Bursts = 20;
constexpr int ReplyWaitMs = 1000;

/// Sends `requests` copies of the getter in one write; µs until all replies are in, -1 on time-out.
double exchangeUs(QTcpSocket &socket, char getter, int replyBytes, int requests, char address = ModuleAddress)
{
    QByteArray bytes;
    for (int i = 0; i < requests; ++i)
        bytes += QByteArray() + address + getter + char(0);
    QElapsedTimer clock;
    clock.start();
    socket.write(bytes);
    socket.flush();
    qint64 received = 0;
    while (received < qint64(replyBytes) * requests && socket.waitForReadyRead(ReplyWaitMs))
        received += socket.readAll().size();
    return received >= qint64(replyBytes) * requests ? clock.nsecsElapsed() / 1000.0 : -1;
}

/// Per-request µs of `rounds` exchanges of `requests` pipelined getters each.
SampleStats measure(QTcpSocket &socket, char getter, int replyBytes, int requests, int rounds,
                    char address = ModuleAddress)
{
    return SampleStats(
        sampleRoundTrips([&] { return exchangeUs(socket, getter, replyBytes, requests, address) / requests; },
                         rounds, Warmup));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SimulatorProcess simulator;
    if (!simulator.start())
        qFatal("the simulator did not start");
    QTcpSocket socket;
    socket.connectToHost(simulator.address(), simulator.port());
    if (!socket.waitForConnected(ReplyWaitMs))
        qFatal("no connection to the simulator");
    // Pulse chain on at 18.4 uA, so the model draws real Poisson numbers.
    socket.write(QByteArray::fromHex("0116013d") + QByteArray::fromHex("011204") +
                 QByteArray::fromHex("b3599a37"));
    socket.flush();
    if (exchangeUs(socket, TypeGetter, TypeReplyBytes + 6, 1) < 0)
        qFatal("the module did not take its settings");

    // Interleaved halves so that machine noise hits both alike.
    const SampleStats typeFirst = measure(socket, TypeGetter, TypeReplyBytes, 1, Rounds);
    const SampleStats data = measure(socket, DataGetter, DataReplyBytes, 1, Rounds);
    const SampleStats typeSecond = measure(socket, TypeGetter, TypeReplyBytes, 1, Rounds);
    const double typeMedian = (typeFirst.median() + typeSecond.median()) / 2;

    const SampleStats typeBurst = measure(socket, TypeGetter, TypeReplyBytes, Pipelined, Bursts);
    const SampleStats dataBurst = measure(socket, DataGetter, DataReplyBytes, Pipelined, Bursts);
    const SampleStats temperatureBurst =
        measure(socket, DataGetter, TemperatureReplyBytes, Pipelined, Bursts, ThermometerAddress);

    QTextStream out(stdout);
    out << "simulator round trips, " << Rounds << " each\n";
    out << QString("  type string (baseline)  median %1 us  p99 %2 us\n")
               .arg(typeMedian, 0, 'f', 1)
               .arg(std::max(typeFirst.percentile(0.99), typeSecond.percentile(0.99)), 0, 'f', 1);
    out << QString("  data record (physics)   median %1 us  p99 %2 us\n")
               .arg(data.median(), 0, 'f', 1)
               .arg(data.percentile(0.99), 0, 'f', 1);
    out << QString("  ratio data / type (medians) %1\n").arg(data.median() / typeMedian, 0, 'f', 2);
    out << QString("%1 x %2 pipelined requests, median: type %3 us/request, data %4 us/request, ratio %5\n")
               .arg(Bursts)
               .arg(Pipelined)
               .arg(typeBurst.median(), 0, 'f', 2)
               .arg(dataBurst.median(), 0, 'f', 2)
               .arg(dataBurst.median() / typeBurst.median(), 0, 'f', 2);
    out << QString("  temperature M0 data record %1 us/request, ratio to type %2\n")
               .arg(temperatureBurst.median(), 0, 'f', 2)
               .arg(temperatureBurst.median() / typeBurst.median(), 0, 'f', 2);
    return 0;
}
