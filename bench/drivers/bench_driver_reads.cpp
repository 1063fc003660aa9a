// Synchronous reads of one SSPD module's data record through the driver, next to the link's bare
// round trip of the same request and reply size (waiting for msgReceived), in the same run.
#include "LinkRoundTrip.h"
#include "RoundTripSampler.h"
#include "SampleStats.h"
#include "SimulatorProcess.h"
#include "SspdDriverM0.h"
#include "vtTcpSocketIOInterface.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {
constexpr quint8 ModuleAddress = 1; ///< an SSPD M0 module of the default simulated crate
constexpr quint8 DataGetter = 16;   ///< answered with the 16-byte data record
constexpr int Rounds = 2000;
constexpr int Warmup = 100;
constexpr int Blocks = 2;         ///< interleaved blocks per method, so machine noise hits both alike
constexpr int ReplyWaitMs = 1000; ///< longest wait for one reply
constexpr double UsPerSecond = 1e6;

double driverReadUs(SspdDriverM0 &driver)
{
    bool ok = false;
    QElapsedTimer clock;
    clock.start();
    driver.data()->getValueSync(&ok, 1);
    return ok ? clock.nsecsElapsed() / 1000.0 : -1;
}

template <typename RoundTrip> void measure(RoundTrip roundTrip, QList<double> *samples)
{
    samples->append(sampleRoundTrips(roundTrip, Rounds, Warmup));
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    SimulatorProcess simulator;
    vtTcpSocketIOInterface link;
    connectToSimulator(simulator, link);
    SspdDriverM0 driver;
    driver.setDevAddress(ModuleAddress);
    driver.setIOInterface(&link);
    driver.setTimeOut(ReplyWaitMs);

    QList<double> linkSamples, driverSamples;
    for (int block = 0; block < Blocks; ++block) {
        measure([&] { return linkRoundTripUs(link, ModuleAddress, DataGetter, ReplyWaitMs); }, &linkSamples);
        measure([&] { return driverReadUs(driver); }, &driverSamples);
    }
    const SampleStats viaLink(linkSamples);
    const SampleStats viaDriver(driverSamples);

    QTextStream out(stdout);
    out << "synchronous data() reads, 3-byte request / 19-byte reply, " << Rounds * Blocks
        << " rounds each\n";
    out << QString("  link round trip (msgReceived)  median %1 us  p99 %2 us  %3 per s\n")
               .arg(viaLink.median(), 0, 'f', 1)
               .arg(viaLink.percentile(0.99), 0, 'f', 1)
               .arg(UsPerSecond / viaLink.median(), 0, 'f', 0);
    out << QString("  SspdDriverM0::data() sync      median %1 us  p99 %2 us  %3 per s\n")
               .arg(viaDriver.median(), 0, 'f', 1)
               .arg(viaDriver.percentile(0.99), 0, 'f', 1)
               .arg(UsPerSecond / viaDriver.median(), 0, 'f', 0);
    out << QString("  ratio driver / link (medians) %1\n")
               .arg(viaDriver.median() / viaLink.median(), 0, 'f', 3);
    return 0;
}
