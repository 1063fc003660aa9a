#include "AutomationInterface.h"
#include "AutomationServer.h"
#include "AutomationSwitch.h"
#include "FacadeOnSimulator.h"
#include "WorkerProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

namespace {
constexpr int WaitMs = 10000;
constexpr int DetectorAddress = 1; ///< an SSPD M0 channel of the simulator's default crate

/// A script's connection, driven from the test's own event loop, where the server runs too.
class ScriptConnection
{
public:
    explicit ScriptConnection(quint16 port) { m_socket.connectToHost(QHostAddress::LocalHost, port); }

    bool connected() { return m_socket.waitForConnected(WaitMs); }
    QTcpSocket &socket() { return m_socket; }

    /// Sends `line` and returns the reply object; empty when none came.
    QJsonObject exchange(const QByteArray &line)
    {
        m_socket.write(line + '\n');
        return nextReply();
    }
    QJsonObject nextReply()
    {
        QSignalSpy arrived(&m_socket, &QTcpSocket::readyRead);
        while (!m_socket.canReadLine()) {
            if (!arrived.wait(WaitMs))
                return {};
        }
        return QJsonDocument::fromJson(m_socket.readLine()).object();
    }

private:
    QTcpSocket m_socket;
};

QString errorCode(const QJsonObject &reply)
{
    return reply.value("error").toObject().value("code").toString();
}
} // namespace

/// The automation interface against the facade connected to the simulator over a real socket.
class tst_AutomationServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void tokenFileIsTheUsersAlone();
    void refusalsChangeNothing_data();
    void refusalsChangeNothing();
    void overSizeRequestClosesTheConnection();
    void fifthClientIsRefused();
    void connectionsWithoutTheTokenLoseTheirSlot();
    void secondInterfaceLeavesTheFirstOnesTokenFile();
    void callsReachTheModules();
    void traceRunsAndGivesItsSeries();
    void options_data();
    void options();
    void switchingOffCutsScriptsAndRemovesTheToken();

private:
    QByteArray request(const QByteArray &call, const QByteArray &arguments) const;
    /// Queues a marker command and collects the commands the worker starts up to it.
    QList<int> commandsUpToMarker();

    QTemporaryDir m_config;
    std::unique_ptr<SimulatorProcess> m_simulator;
    std::unique_ptr<AutomationInterface> m_automation;
};

void tst_AutomationServer::initTestCase()
{
    QVERIFY(m_config.isValid());
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
    m_simulator = std::make_unique<SimulatorProcess>();
    QVERIFY(connectFacadeToSimulator(*m_simulator, WaitMs));
    m_automation = std::make_unique<AutomationInterface>(WorkerAsync::instance());
    QCOMPARE(m_automation->start(0, m_config.filePath("VantrelLab")), QString());
}

void tst_AutomationServer::cleanupTestCase()
{
    m_automation.reset();
    WorkerAsync::destroyInstance();
    m_simulator.reset();
}

void tst_AutomationServer::cleanup()
{
    // The next test starts with no script connected and the view running.
    WorkerAsync::instance()->setPlotPaused(false);
    QTRY_COMPARE_WITH_TIMEOUT(m_automation->server()->clientCount(), 0, WaitMs);
}

QByteArray tst_AutomationServer::request(const QByteArray &call, const QByteArray &arguments) const
{
    return R"({"id": 7, "token": ")" + m_automation->token().toLatin1() + R"(", "call": ")" + call +
           R"(", "args": )" + arguments + "}";
}

QList<int> tst_AutomationServer::commandsUpToMarker()
{
    constexpr int MarkerTimeOutMs = 4321;
    QSignalSpy started(WorkerAsync::instance()->worker(), &WorkerProcess::commandStarted);
    WorkerAsync::instance()->sendCommand(WorkerAsync::CommandSetTimeOut, MarkerTimeOutMs);
    QList<int> commands;
    while (QTest::qWaitFor([&] { return !started.isEmpty(); }, WaitMs)) {
        const int command = started.takeFirst().at(0).toInt();
        if (command == WorkerAsync::CommandSetTimeOut &&
            WorkerAsync::instance()->worker()->timeConstantMs() == MarkerTimeOutMs)
            return commands;
        commands << command;
    }
    return commands << -1;
}

void tst_AutomationServer::tokenFileIsTheUsersAlone()
{
    QFile file(m_automation->tokenFilePath());
    QCOMPARE(file.permissions() &
                 ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
             QFile::Permissions());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject contents = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(contents.value("token").toString(), m_automation->token());
    QCOMPARE(contents.value("port").toInt(), int(m_automation->port()));
    QCOMPARE(m_automation->token().size(), 64);
}

void tst_AutomationServer::refusalsChangeNothing_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("code");
    const QByteArray setCurrent = R"({"address": 1, "name": "current", "value": 1e-5})";
    QTest::newRow("no token") << QByteArray(R"({"call": "set", "args": )" + setCurrent + "}") << "bad-token";
    QTest::newRow("wrong token") << QByteArray(R"({"token": "00", "call": "set", "args": )" + setCurrent +
                                               "}")
                                 << "bad-token";
    QTest::newRow("not JSON") << QByteArray(R"({"call": "set", "args": {)") << "malformed";
    QTest::newRow("not an object") << QByteArray("[1, 2]") << "malformed";
    QTest::newRow("unknown call") << request("format_disk", "{}") << "unknown-call";
    QTest::newRow("args not an object") << request("set", "[1]") << "malformed";
    QTest::newRow("current beyond 2.5 mA")
        << request("set", R"({"address": 1, "name": "current", "value": 0.003})") << "out-of-range";
    QTest::newRow("trigger below -100 mV")
        << request("set", R"({"address": 1, "name": "cmp_ref_level", "value": -0.2})") << "out-of-range";
    QTest::newRow("measured value") << request("set", R"({"address": 1, "name": "cps", "value": 1})")
                                    << "bad-argument";
    QTest::newRow("flag as number") << request("set", R"({"address": 1, "name": "operate", "value": 1})")
                                    << "bad-argument";
    QTest::newRow("no such module") << request("set", R"({"address": 200, "name": "current", "value": 1e-5})")
                                    << "no-module";
    QTest::newRow("address not a byte") << request("readings", R"({"address": 256})") << "bad-argument";
    QTest::newRow("misspelt argument") << request("readings", R"({"adress": 1})") << "bad-argument";
    QTest::newRow("sweep step of 0") << request("start_sweep",
                                                R"({"kind": "cps_vs_current", "address": 1, "step": 0})")
                                     << "out-of-range";
    QTest::newRow("sweep time constant 20 s")
        << request("start_sweep", R"({"kind": "cps_vs_current", "address": 1, "time_constant": 20})")
        << "out-of-range";
    QTest::newRow("sweep with a million steps")
        << request("start_sweep",
                   R"({"kind": "cps_vs_trigger", "address": 1, "from": -1, "to": 1, "step": 1e-6})")
        << "out-of-range";
    QTest::newRow("trace of no module") << request("start_trace", R"({"addresses": [1, 99]})") << "no-module";
    QTest::newRow("unfinished series") << request("series", "{}") << "no-series";
}

void tst_AutomationServer::refusalsChangeNothing()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, code);
    ScriptConnection script(m_automation->port());
    QVERIFY(script.connected());
    const WorkerAsync::WorkerMode mode = WorkerAsync::instance()->currentMode();
    const QJsonObject reply = script.exchange(line);
    QCOMPARE(reply.value("ok").toBool(true), false);
    QCOMPARE(errorCode(reply), code);
    QVERIFY(!reply.value("error").toObject().value("message").toString().isEmpty());
    QCOMPARE(commandsUpToMarker(), QList<int>());
    QCOMPARE(WorkerAsync::instance()->currentMode(), mode);
    // The connection stays usable after a refusal.
    QCOMPARE(script.exchange(request("modules", "{}")).value("ok").toBool(), true);
}

void tst_AutomationServer::overSizeRequestClosesTheConnection()
{
    ScriptConnection script(m_automation->port());
    QVERIFY(script.connected());
    // Sent without its end, as a client that never stops would.
    script.socket().write(QByteArray(AutomationServer::MaxMessageBytes + 100, ' '));
    QCOMPARE(errorCode(script.nextReply()), QString("too-large"));
    QVERIFY(script.socket().state() == QAbstractSocket::UnconnectedState ||
            script.socket().waitForDisconnected(WaitMs));
    QCOMPARE(commandsUpToMarker(), QList<int>());
}

void tst_AutomationServer::fifthClientIsRefused()
{
    std::vector<std::unique_ptr<ScriptConnection>> scripts;
    for (int i = 0; i < AutomationServer::MaxClients; ++i) {
        scripts.push_back(std::make_unique<ScriptConnection>(m_automation->port()));
        QVERIFY(scripts.back()->connected());
        QCOMPARE(scripts.back()->exchange(request("modules", "{}")).value("ok").toBool(), true);
    }
    ScriptConnection fifth(m_automation->port());
    QVERIFY(fifth.connected());
    QCOMPARE(errorCode(fifth.nextReply()), QString("too-many-clients"));
    QVERIFY(fifth.socket().state() == QAbstractSocket::UnconnectedState ||
            fifth.socket().waitForDisconnected(WaitMs));

    scripts.front()->socket().disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(m_automation->server()->clientCount(), AutomationServer::MaxClients - 1,
                              WaitMs);
    ScriptConnection next(m_automation->port());
    QVERIFY(next.connected());
    QCOMPARE(next.exchange(request("modules", "{}")).value("ok").toBool(), true);
}

void tst_AutomationServer::connectionsWithoutTheTokenLoseTheirSlot()
{
    ScriptConnection early(m_automation->port());
    QVERIFY(early.connected());
    QCOMPARE(early.exchange(request("modules", "{}")).value("ok").toBool(), true);
    // Two connections that never send and one that sends a byte a second fill the other slots.
    std::vector<std::unique_ptr<ScriptConnection>> strays;
    for (int i = 1; i < AutomationServer::MaxClients; ++i) {
        strays.push_back(std::make_unique<ScriptConnection>(m_automation->port()));
        QVERIFY(strays.back()->connected());
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_automation->server()->clientCount(), AutomationServer::MaxClients, WaitMs);
    QTimer trickle;
    const QByteArray partial = request("modules", "{}");
    int sent = 0;
    connect(&trickle, &QTimer::timeout, this,
            [&] { strays.back()->socket().write(partial.mid(sent++ % partial.size(), 1)); });
    trickle.start(1000);

    // A script with the token gets in once the strays are closed, trying as a script would.
    QTRY_VERIFY_WITH_TIMEOUT(
        ScriptConnection(m_automation->port()).exchange(request("modules", "{}")).value("ok").toBool(),
        WaitMs);
    for (const auto &stray : strays) {
        QCOMPARE(errorCode(stray->nextReply()), QString("no-token-in-time"));
        QVERIFY(stray->socket().state() == QAbstractSocket::UnconnectedState ||
                stray->socket().waitForDisconnected(WaitMs));
    }
    QCOMPARE(early.exchange(request("modules", "{}")).value("ok").toBool(), true);
}

void tst_AutomationServer::secondInterfaceLeavesTheFirstOnesTokenFile()
{
    const QString first = m_automation->tokenFilePath();
    {
        AutomationInterface second(WorkerAsync::instance());
        QCOMPARE(second.start(0, m_config.filePath("VantrelLab")), QString());
        QVERIFY(second.tokenFilePath() != first);
        QVERIFY(QFile::exists(second.tokenFilePath()));
    }
    QFile file(first);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonObject contents = QJsonDocument::fromJson(file.readAll()).object();
    QCOMPARE(contents.value("token").toString(), m_automation->token());
    QCOMPARE(contents.value("port").toInt(), int(m_automation->port()));
}

void tst_AutomationServer::callsReachTheModules()
{
    ScriptConnection script(m_automation->port());
    QVERIFY(script.connected());
    const QJsonObject listed = script.exchange(request("modules", "{}"));
    QCOMPARE(listed.value("id").toInt(), 7);
    const QJsonObject first = listed.value("result").toObject().value("modules").toArray().first().toObject();
    QCOMPARE(first.value("address").toInt(), DetectorAddress);
    QCOMPARE(first.value("type").toString(), QString("VT4SDM0"));

    const QJsonObject readings =
        script.exchange(request("readings", R"({"address": 1})")).value("result").toObject();
    QVERIFY(readings.contains("cps"));
    QVERIFY(readings.contains("current"));

    QSignalSpy started(WorkerAsync::instance()->worker(), &WorkerProcess::commandStarted);
    QCOMPARE(script.exchange(request("set", R"({"address": 1, "name": "current", "value": 1.2e-5})"))
                 .value("ok")
                 .toBool(),
             true);
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(started.cbegin(), started.cend(),
                                         [](const QList<QVariant> &s) {
                                             return s.at(0).toInt() == WorkerAsync::CommandFreeStyle;
                                         }),
                             WaitMs);
}

void tst_AutomationServer::traceRunsAndGivesItsSeries()
{
    ScriptConnection script(m_automation->port());
    QVERIFY(script.connected());
    // A trace started on the screen is not taken over.
    WorkerAsync::instance()->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    QCOMPARE(errorCode(script.exchange(request("start_trace", R"({"addresses": [1]})"))), QString("busy"));
    WorkerAsync::instance()->activateMode(WorkerAsync::WorkerModeNoAction);
    // A shorted channel counts nothing worth drawing.
    QCOMPARE(script.exchange(request("set", R"({"address": 1, "name": "operate", "value": true})"))
                 .value("ok")
                 .toBool(),
             true);
    QCOMPARE(script.exchange(request("start_trace", R"({"addresses": [1], "time_constant": 0.05})"))
                 .value("ok")
                 .toBool(),
             true);
    QCOMPARE(WorkerAsync::instance()->currentMode(), WorkerAsync::WorkerModeCpsVersTime);
    // A user pausing the chart view holds points back from the screen, not from the script.
    WorkerAsync::instance()->setPlotPaused(true);
    QCOMPARE(errorCode(script.exchange(request("series", "{}"))), QString("busy"));
    QCOMPARE(errorCode(script.exchange(request("start_trace", R"({"addresses": [1]})"))), QString("busy"));
    QTRY_VERIFY_WITH_TIMEOUT(
        script.exchange(request("progress", "{}")).value("result").toObject().value("points").toInt() >= 3,
        WaitMs);
    const QJsonValue age =
        script.exchange(request("readings", R"({"address": 1})")).value("result").toObject().value("age_ms");
    QVERIFY(age.isDouble() && age.toDouble() < WaitMs);
    QCOMPARE(script.exchange(request("stop", "{}")).value("result").toObject().value("stopped").toBool(),
             true);
    QVERIFY(WorkerAsync::instance()->currentMode() != WorkerAsync::WorkerModeCpsVersTime);

    const QJsonObject result = script.exchange(request("series", "{}")).value("result").toObject();
    const QJsonObject series = result.value("series").toArray().first().toObject();
    QCOMPARE(series.value("name").toString(), QString("SSPD 1"));
    QVERIFY(series.value("x").toArray().size() >= 3);
    QCOMPARE(series.value("y").toArray().size(), series.value("x").toArray().size());
    QCOMPARE(series.value("latched").toArray().size(), series.value("x").toArray().size());
    QVERIFY(series.value("y").toArray().first().toDouble() > 0);
}

void tst_AutomationServer::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("stored"); ///< the settings store has the interface on, at port 9999
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("error");
    QTest::newRow("default") << QStringList{} << false << false << 9890 << false;
    QTest::newRow("stored") << QStringList{} << true << true << 9999 << false;
    QTest::newRow("option") << QStringList{"--automation"} << false << true << 9890 << false;
    QTest::newRow("option with port") << QStringList{"--automation=0"} << true << true << 0 << false;
    QTest::newRow("headless") << QStringList{"--headless"} << false << true << 9890 << false;
    QTest::newRow("bad port") << QStringList{"--automation=70000"} << false << false << 9890 << true;
}

void tst_AutomationServer::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, stored);
    {
        QSettings store(WorkerAsync::SettingsOrganization, WorkerAsync::SettingsApplication);
        store.setValue(AutomationOptions::EnabledKey, stored);
        store.setValue(AutomationOptions::PortKey, stored ? 9999 : 9890);
    }
    const AutomationOptions options = AutomationOptions::parse(QStringList{"VantrelLab"} + arguments);
    QTEST(options.enabled, "enabled");
    QTEST(int(options.port), "port");
    QTEST(!options.error.isEmpty(), "error");
}

void tst_AutomationServer::switchingOffCutsScriptsAndRemovesTheToken()
{
    AutomationOptions options;
    options.enabled = true;
    options.port = 0;
    AutomationSwitch automation(WorkerAsync::instance(), options);
    QVERIFY(automation.enabled());
    const QString tokenFile = automation.interface()->tokenFilePath();
    ScriptConnection script(automation.interface()->port());
    QVERIFY(script.connected());

    automation.setEnabled(false);
    QVERIFY(!QFile::exists(tokenFile));
    QVERIFY(script.socket().state() == QAbstractSocket::UnconnectedState ||
            script.socket().waitForDisconnected(WaitMs));
    QCOMPARE(QSettings(WorkerAsync::SettingsOrganization, WorkerAsync::SettingsApplication)
                 .value(AutomationOptions::EnabledKey)
                 .toBool(),
             false);
    automation.setEnabled(true);
    QVERIFY(QFile::exists(automation.interface()->tokenFilePath()));
}

QTEST_MAIN(tst_AutomationServer)
#include "tst_AutomationServer.moc"
