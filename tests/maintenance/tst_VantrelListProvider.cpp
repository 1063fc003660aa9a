#include "PrivateNetwork.h"
#include "ScriptedCrates.h"
#include "SimulatorProcess.h"
#include "VantrelListProvider.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

namespace {
constexpr int ScanTimeoutMs = 5000; ///< a whole scan, generous for a loaded machine
constexpr int AfterScanMs = 700;    ///< watched after `ready` for anything further
constexpr int ManyCallBacks = 40;   ///< more than a server queues by default
const QByteArray DiscoveryDatagram = QByteArrayLiteral("vt-software");

using CallBack = ScriptedCrates::CallBack;
const QHostAddress CrateA(QStringLiteral("127.0.0.2"));
const QHostAddress CrateB(QStringLiteral("127.0.0.3"));
} // namespace

Q_DECLARE_METATYPE(QList<CallBack>)

/// Every test runs inside a network namespace of its own (see main below): scans broadcast on
/// every interface, and that must never be the host's.
class tst_VantrelListProvider : public QObject
{
    Q_OBJECT
public:
    explicit tst_VantrelListProvider(const QString &skipReason) : m_skipReason(skipReason) {}

private slots:
    void init();
    void noAnswerGivesEmptyListAndOneReady();
    void callBacks_data();
    void callBacks();
    void simulatorOnThisComputerListedAsLoopback();
    void busyCallbackPortGivesError();
    void newScanReplacesRunningScan();
    void explicitTargetsPortsAndTimes();

private:
    QString m_skipReason;
};

void tst_VantrelListProvider::init()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
}

void tst_VantrelListProvider::noAnswerGivesEmptyListAndOneReady()
{
    VantrelListProvider provider;
    QSignalSpy ready(&provider, &VantrelListProvider::ready);
    QSignalSpy error(&provider, &VantrelListProvider::error);

    provider.updateVantrelList();
    QVERIFY(ready.wait(ScanTimeoutMs));
    QVERIFY(!ready.wait(AfterScanMs));
    QCOMPARE(ready.size(), 1);
    QCOMPARE(error.size(), 0);
    QVERIFY(provider.availableVantrelList().isEmpty());

    // The call-back port is given back when the scan ends.
    QTcpServer server;
    QVERIFY2(server.listen(QHostAddress::Any, VantrelListProvider::DefaultCallbackPort),
             qPrintable(server.errorString()));
}

void tst_VantrelListProvider::callBacks_data()
{
    QTest::addColumn<QList<CallBack>>("script");
    QTest::addColumn<QStringList>("expected");

    const QHostAddress own(PrivateNetwork::Address);
    QTest::newRow("one crate") << QList<CallBack>{{CrateA}} << QStringList{"127.0.0.2"};
    QTest::newRow("two call-backs from one address")
        << QList<CallBack>{{CrateA}, {CrateA}} << QStringList{"127.0.0.2"};
    QTest::newRow("many call-backs from one address")
        << QList<CallBack>(ManyCallBacks, CallBack{CrateA}) << QStringList{"127.0.0.2"};
    QTest::newRow("two crates") << QList<CallBack>{{CrateA}, {CrateB}}
                                << QStringList{"127.0.0.2", "127.0.0.3"};
    QTest::newRow("silent call-back not listed")
        << QList<CallBack>{{CrateB, false}, {CrateA}} << QStringList{"127.0.0.2"};
    QTest::newRow("only silent call-backs")
        << QList<CallBack>{{CrateA, false}, {CrateB, false}} << QStringList{};
    QTest::newRow("own addresses listed once as loopback")
        << QList<CallBack>{{own}, {QHostAddress(QHostAddress::LocalHost)}, {CrateA}}
        << QStringList{"127.0.0.1", "127.0.0.2"};
}

void tst_VantrelListProvider::callBacks()
{
    QFETCH(QList<CallBack>, script);
    QFETCH(QStringList, expected);

    ScriptedCrates crates(script);
    crates.setCallbackPort(VantrelListProvider::DefaultCallbackPort);
    QVERIFY(crates.listen(VantrelListProvider::DefaultDiscoveryPort));
    VantrelListProvider provider;
    QSignalSpy ready(&provider, &VantrelListProvider::ready);

    provider.updateVantrelList();
    QVERIFY(ready.wait(ScanTimeoutMs));
    QCOMPARE(ready.size(), 1);
    // Only the veth has a broadcast address; loopback cannot broadcast.
    QCOMPARE(crates.datagrams(), QList<QByteArray>{DiscoveryDatagram});
    QCOMPARE(crates.destinations(), QList<QHostAddress>{QHostAddress(PrivateNetwork::BroadcastAddress)});
    QCOMPARE(crates.connectedCallBacks(), script.size());

    QStringList found = provider.availableVantrelList();
    found.sort();
    QCOMPARE(found, expected);
    // Every call-back is closed by the program, silent ones included.
    QTRY_COMPARE(crates.openCallBacks(), 0);
}

void tst_VantrelListProvider::simulatorOnThisComputerListedAsLoopback()
{
    // The simulator listens on every address of the private network, so it hears the broadcast
    // and calls back to this computer's own veth address.
    SimulatorProcess simulator({"--address", "0.0.0.0", "--discovery"});
    QVERIFY(simulator.start());
    VantrelListProvider provider;
    QSignalSpy ready(&provider, &VantrelListProvider::ready);

    provider.updateVantrelList();
    QVERIFY(ready.wait(ScanTimeoutMs));
    QCOMPARE(provider.availableVantrelList(), QStringList{"127.0.0.1"});
    QVERIFY(simulator.stop());
}

void tst_VantrelListProvider::busyCallbackPortGivesError()
{
    QTcpServer occupant;
    QVERIFY(occupant.listen(QHostAddress::Any, VantrelListProvider::DefaultCallbackPort));
    ScriptedCrates crates({{CrateA}});
    QVERIFY(crates.listen(VantrelListProvider::DefaultDiscoveryPort));
    VantrelListProvider provider;
    QSignalSpy ready(&provider, &VantrelListProvider::ready);
    QSignalSpy error(&provider, &VantrelListProvider::error);

    provider.updateVantrelList();
    QVERIFY(error.wait(ScanTimeoutMs));
    QVERIFY(!ready.wait(AfterScanMs));
    QCOMPARE(error.size(), 1);
    QVERIFY(crates.datagrams().isEmpty()); // nothing is sent for a scan that cannot hear answers
    QVERIFY(provider.availableVantrelList().isEmpty());
}

void tst_VantrelListProvider::newScanReplacesRunningScan()
{
    ScriptedCrates crates({{CrateA}});
    crates.setCallbackPort(VantrelListProvider::DefaultCallbackPort);
    QVERIFY(crates.listen(VantrelListProvider::DefaultDiscoveryPort));
    VantrelListProvider provider;
    QSignalSpy ready(&provider, &VantrelListProvider::ready);
    QSignalSpy error(&provider, &VantrelListProvider::error);

    provider.updateVantrelList();
    provider.updateVantrelList(); // the first scan's port and timer must not disturb the second
    QVERIFY(ready.wait(ScanTimeoutMs));
    QVERIFY(!ready.wait(AfterScanMs));
    QCOMPARE(ready.size(), 1);
    QCOMPARE(error.size(), 0);
    QCOMPARE(provider.availableVantrelList(), QStringList{"127.0.0.2"});
}

void tst_VantrelListProvider::explicitTargetsPortsAndTimes()
{
    const quint16 discoveryPort = 19877; // the namespace is ours: any fixed ports are free
    const quint16 callbackPort = 19878;
    const QHostAddress loopbackBroadcast(QStringLiteral("127.255.255.255"));
    ScriptedCrates crates({{CrateA}, {CrateB, false}});
    crates.setCallbackPort(callbackPort);
    QVERIFY(crates.listen(discoveryPort));
    VantrelListProvider provider;
    provider.setDiscoveryPort(discoveryPort);
    provider.setCallbackPort(callbackPort);
    provider.setBroadcastAddresses({loopbackBroadcast});
    provider.setCollectionTime(300);
    provider.setReadWait(60000); // longer than the test: only the end of the scan can close the silent one
    QSignalSpy ready(&provider, &VantrelListProvider::ready);

    provider.updateVantrelList();
    QVERIFY(ready.wait(ScanTimeoutMs));
    QCOMPARE(crates.destinations(), QList<QHostAddress>{loopbackBroadcast});
    QCOMPARE(provider.availableVantrelList(), QStringList{"127.0.0.2"});
    QTRY_COMPARE(crates.openCallBacks(), 0);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrivateNetwork network;
    if (network.isInside()) {
        network.setUp();
    } else {
        int exitCode = 0;
        if (network.runInside(app.arguments(), &exitCode))
            return exitCode;
    }
    tst_VantrelListProvider test(network.unavailableReason());
    return QTest::qExec(&test, argc, argv);
}

#include "tst_VantrelListProvider.moc"
