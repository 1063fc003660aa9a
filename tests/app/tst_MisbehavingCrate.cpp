#include "DataProviderList.h"
#include "ReconnectSettingsCheck.h"
#include "ScriptedModulePeer.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 10000;
constexpr quint8 GetDeviceType = 6;

QJsonObject module(const QJsonValue &address, const QString &type = QStringLiteral("VT4SDM0"))
{
    return QJsonObject{{"address", address}, {"type", type}};
}

QList<int> listedAddresses(const DataProviderList *list)
{
    QList<int> addresses;
    for (const DataProviderItem &item : list->items())
        addresses << item.byName(QStringLiteral("address")).toInt();
    return addresses;
}
} // namespace

/// The program's facade against crates that send what no crate should: module lists with
/// addresses that are no bus addresses, repeated addresses, runaway texts; module replies that
/// do not fit their record. Nothing of it may reach the screens as a module or a live value.
class tst_MisbehavingCrate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void moduleList_data();
    void moduleList();
    void shortRecordsShowAsFaults();
    void indicatorFollowsTheLink();
    void settingsLostInAPowerCycleAreNamed();

private:
    WorkerAsync *connectFacade(quint16 port);

    QTemporaryDir m_config;
};

void tst_MisbehavingCrate::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_MisbehavingCrate::cleanup()
{
    WorkerAsync::destroyInstance();
}

WorkerAsync *tst_MisbehavingCrate::connectFacade(quint16 port)
{
    qputenv("VT4_CRATE_PORT", QByteArray::number(port));
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    return connected.wait(ConnectWaitMs) ? facade : nullptr;
}

void tst_MisbehavingCrate::moduleList_data()
{
    QTest::addColumn<QJsonArray>("info");
    QTest::addColumn<QList<int>>("listed");
    QTest::addColumn<QStringList>("notes"); ///< in the status text, in this order

    QTest::newRow("addresses that are no bus address")
        << QJsonArray{module(-1), module(-5), module(1e300), module("7"), module(2.5), module(256), module(5)}
        << QList<int>{5}
        << QStringList{"-1 (not a bus address)", "-5 (not a bus address)",  "1e+300 (not a bus address)",
                       "7 (not a bus address)",  "2.5 (not a bus address)", "256 (not a bus address)"};
    QTest::newRow("address listed twice: the first entry wins")
        << QJsonArray{module(5), module(5, "VT4TDM0"), module(6, "VT4TDM0")} << QList<int>{5, 6}
        << QStringList{"5 (listed 2 times)"};
    QJsonArray sameAddress;
    for (int i = 0; i < 10000; ++i)
        sameAddress.append(module(5));
    for (int address = 10; address < 20; ++address)
        sameAddress.append(module(-address));
    QTest::newRow("10000 entries at one address, ten bad ones")
        << sameAddress << QList<int>{5}
        << QStringList{"-10 (not a bus address)", "-11 (not a bus address)",
                       "-12 (not a bus address)", "-13 (not a bus address)",
                       "-14 (not a bus address)", "-15 (not a bus address)",
                       "-16 (not a bus address)", "-17 (not a bus address) and 3 more"};
    QJsonObject verbose = module(5);
    verbose.insert("Description", QString(1 << 20, QLatin1Char('d')));
    QTest::newRow("1 MB description") << QJsonArray{verbose} << QList<int>{5} << QStringList{};
}

void tst_MisbehavingCrate::moduleList()
{
    QFETCH(QJsonArray, info);
    QFETCH(QList<int>, listed);
    QFETCH(QStringList, notes);

    ScriptedModulePeer crate;
    QVERIFY(crate.listen());
    const QJsonObject list{{"count", info.size()}, {"info", info}};
    crate.setTextReply("SYST:DEVJ?", QJsonDocument(list).toJson(QJsonDocument::Compact));
    WorkerAsync *facade = connectFacade(crate.port());
    QVERIFY(facade);

    QTRY_COMPARE(listedAddresses(facade->dataList()), listed);
    // A driver, and so bus traffic, only for the entries kept.
    QSet<int> asked;
    for (const ScriptedModulePeer::Request &request : crate.requests()) {
        if (request.command == GetDeviceType)
            asked.insert(request.address);
    }
    QCOMPARE(asked, QSet<int>(listed.cbegin(), listed.cend()));
    if (notes.isEmpty()) {
        QCOMPARE(facade->statusText(), QStringLiteral("Connected!!!"));
    } else {
        QTRY_VERIFY(facade->statusText().startsWith(QStringLiteral("Module list entries skipped: ")));
        QCOMPARE(facade->statusText().mid(facade->statusText().indexOf(QLatin1String(": ")) + 2),
                 notes.join(QLatin1String(", ")));
    }
    for (const DataProviderItem &item : facade->dataList()->items())
        QVERIFY(item.byName(QStringLiteral("Description")).toString().size() <= 256);
}

void tst_MisbehavingCrate::shortRecordsShowAsFaults()
{
    // Detector module 1 of the simulated crate sends its records one byte short: each reply
    // ends the wait but fills nothing. Module 2 answers normally throughout.
    SimulatorProcess simulator({"--garble", "1"});
    QVERIFY(simulator.start());
    WorkerAsync *facade = connectFacade(simulator.port());
    QVERIFY(facade);
    QTRY_VERIFY_WITH_TIMEOUT(listedAddresses(facade->dataList()).contains(2), ConnectWaitMs);

    QHash<int, QList<int>> statuses;
    connect(facade->dataList(), &DataProviderList::dataUpdated, this,
            [&](int index, const QList<QString> &keys) {
                if (!keys.contains(QStringLiteral("status")))
                    return;
                const DataProviderItem item = facade->dataList()->items().at(index);
                statuses[item.byName("address").toInt()] << item.byName("status").toInt();
            });
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTRY_VERIFY_WITH_TIMEOUT(statuses.value(1).size() >= 2 && statuses.value(2).size() >= 2, ConnectWaitMs);
    QVERIFY(!statuses.value(1).contains(int(DataProviderList::DeviceStatusActive)));
    QVERIFY(statuses.value(1).contains(int(DataProviderList::DeviceStatusFault)));
    QVERIFY(statuses.value(2).contains(int(DataProviderList::DeviceStatusActive)));
}

void tst_MisbehavingCrate::indicatorFollowsTheLink()
{
    auto simulator = std::make_unique<SimulatorProcess>();
    QVERIFY(simulator->start());
    const quint16 port = simulator->port();
    WorkerAsync *facade = connectFacade(port);
    QVERIFY(facade);
    QTRY_COMPARE(facade->connectionText(), QStringLiteral("connected"));
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);

    // The crate goes without a word; the home page's reads try to reconnect.
    simulator->process().kill();
    simulator.reset();
    QTRY_VERIFY_WITH_TIMEOUT(facade->connectionText().contains(QStringLiteral("(try ")), ConnectWaitMs);
    QVERIFY(facade->connectionText().startsWith(QStringLiteral("reconnecting since ")));
    QCOMPARE(facade->statusText(), QStringLiteral("The crate does not answer"));

    SimulatorProcess back({"--port", QString::number(port)});
    QVERIFY(back.start());
    QTRY_COMPARE_WITH_TIMEOUT(facade->connectionText(), QStringLiteral("connected"), ConnectWaitMs);
    QCOMPARE(facade->connectionState(), 1);
}

void tst_MisbehavingCrate::settingsLostInAPowerCycleAreNamed()
{
    SimulatorProcess simulator({"--fault-commands"});
    QVERIFY(simulator.start());
    WorkerAsync *facade = connectFacade(simulator.port());
    QVERIFY(facade);
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);
    facade->setParameter(1, QStringLiteral("current"), 12e-6);
    const auto bias = [facade] {
        for (const DataProviderItem &item : facade->dataList()->items()) {
            if (item.byName("address").toInt() == 1)
                return item.byName("current").toDouble();
        }
        return 0.0;
    };
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(bias() - 12e-6) < 0.1e-6, ConnectWaitMs);

    QSignalSpy messages(facade, &WorkerAsync::sendMessage);
    QTcpSocket control;
    control.connectToHost(QHostAddress::LocalHost, simulator.port());
    QVERIFY(control.waitForConnected(ConnectWaitMs));
    control.write("SIM:POWERCYCLE\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(facade->connectionState() == 2, ConnectWaitMs); // reconnecting
    QCOMPARE(facade->statusText(), QStringLiteral("The crate does not answer"));

    // Back with every module at its power-on settings: module 1 lost its bias, module 2 had none.
    QVERIFY(messages.wait(3 * ConnectWaitMs));
    QCOMPARE(messages.first().at(0).toString(), QStringLiteral("Settings lost"));
    const QString text = messages.first().at(1).toString();
    QVERIFY2(text.startsWith(QStringLiteral(
                 "Module 1 came back with other settings: bias 12.0 \u03BCA \u2192 0.0 \u03BCA")),
             qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Module 2 ")), qPrintable(text));
    QVERIFY(facade->statusText().startsWith(QStringLiteral("Module 1 came back")));
    QVERIFY(!messages.wait(ReconnectSettingsCheck::GatherMs + 1000)); // named once
}

QTEST_MAIN(tst_MisbehavingCrate)
#include "tst_MisbehavingCrate.moc"
