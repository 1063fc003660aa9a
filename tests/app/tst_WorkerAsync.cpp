#include "Settings.h"
#include "SimulatorProcess.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"
#include "WorkerStatistics.h"

#include <QPointer>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int ConnectWaitMs = 5000;
} // namespace

/// The facade in-process, with its worker thread, against the simulator and against peers that fail.
class tst_WorkerAsync : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void emptySettingsStoreGivesDefaultAddress();
    void connectsToSimulator();
    void failedConnectionReenablesForm();
    void destroyedWhileWorkerIsInsideQuery();
    void statisticsLineShowsTimeConstantFromSettings();
    void dialogSelectionToPath_data();
    void dialogSelectionToPath();

private:
    QTemporaryDir m_config;
};

void tst_WorkerAsync::initTestCase()
{
    QVERIFY(m_config.isValid());
    // The settings store must be private to the test before anything opens it.
    qputenv("XDG_CONFIG_HOME", m_config.path().toLocal8Bit());
}

void tst_WorkerAsync::cleanup()
{
    WorkerAsync::destroyInstance();
    qunsetenv("VT4_CRATE_PORT");
}

void tst_WorkerAsync::emptySettingsStoreGivesDefaultAddress()
{
    QCOMPARE(WorkerAsync::instance()->CurrentAddress(), QStringLiteral("127.000.000.001"));
    QVERIFY(WorkerAsync::instance()->GUIEnable());
    QCOMPARE(WorkerAsync::instance()->WorkerVersion(), QStringLiteral("1.3.1"));
}

void tst_WorkerAsync::connectsToSimulator()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    qputenv("VT4_CRATE_PORT", QByteArray::number(simulator.port()));

    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    QSignalSpy guiEnable(facade, &WorkerAsync::GUIEnableChanged);
    facade->connectToVantrel(QStringLiteral("127.000.000.001"));
    QVERIFY(!facade->GUIEnable());
    QCOMPARE(facade->statusText(), QStringLiteral("Try to connect to 127.000.000.001"));

    QVERIFY(connected.wait(ConnectWaitMs));
    QVERIFY(simulator.waitForLine(QStringLiteral("connection from 127.0.0.1")));
    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVJ?")));
    QTRY_COMPARE(facade->statusText(), QStringLiteral("Connected!!!"));
    QVERIFY(facade->GUIEnable());
    QCOMPARE(guiEnable.size(), 2);

    QSettings store(QStringLiteral("Norvane"), QStringLiteral("vt-deskapp"));
    QCOMPARE(store.value(QStringLiteral("TcpIpAddress")).toString(), QStringLiteral("127.000.000.001"));
}

void tst_WorkerAsync::failedConnectionReenablesForm()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    qputenv("VT4_CRATE_PORT", QByteArray::number(closed.serverPort()));
    closed.close();

    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy connected(facade, &WorkerAsync::connected);
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QVERIFY(!facade->GUIEnable());
    QTRY_VERIFY_WITH_TIMEOUT(facade->GUIEnable(), ConnectWaitMs);
    QVERIFY(facade->statusText().startsWith(QLatin1String("Connection failure!\n")));
    QCOMPARE(connected.size(), 0);
}

void tst_WorkerAsync::destroyedWhileWorkerIsInsideQuery()
{
    // A crate that accepts the connection and never answers keeps the worker in a 500 ms query.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    qputenv("VT4_CRATE_PORT", QByteArray::number(silent.serverPort()));

    WorkerAsync *facade = WorkerAsync::instance();
    QPointer<WorkerProcess> worker = facade->worker();
    facade->connectToVantrel(QStringLiteral("127.0.0.1"));
    QVERIFY(silent.waitForNewConnection(ConnectWaitMs));
    QTcpSocket *crateSide = silent.nextPendingConnection();
    QVERIFY(crateSide->waitForReadyRead(ConnectWaitMs));
    QCOMPARE(crateSide->readAll(), QByteArray("SYST:DEVJ?\r\n"));

    WorkerAsync::destroyInstance();
    QVERIFY(worker.isNull());
}

void tst_WorkerAsync::statisticsLineShowsTimeConstantFromSettings()
{
    qputenv("VT4_WORKER_PERF", "1");
    WorkerAsync *facade = WorkerAsync::instance();
    // A time-constant change reaches the worker as milliseconds; the idle loop wakes every 50 ms.
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("^VT4_WORKER_PERF loops \\d+ loops_per_s \\d+\\.\\d "
                                                     "process_ms_per_loop \\d+\\.\\d{3} wait_ms_per_loop "
                                                     "\\d+\\.\\d{3} mode 9 time_const_ms 500$")));
    bool started = false;
    QObject receiver;
    connect(facade->worker(), &WorkerProcess::commandStarted, &receiver, [&started] { started = true; });
    facade->settings()->setTimeConstant(0.5);
    QTRY_VERIFY(started);
    // The loop has read the switch by the time it runs a command.
    qunsetenv("VT4_WORKER_PERF");
    QTest::qWait(WorkerStatistics::WindowMs + 500);
}

void tst_WorkerAsync::dialogSelectionToPath_data()
{
    QTest::addColumn<QString>("selection");
    QTest::addColumn<QString>("path");
    QTest::newRow("file picked in the list") << "file:///home/lab/run%207.txt"
                                             << "/home/lab/run 7.txt";
    // A typed name comes without "file:"; a typed absolute path after the dialog's folder.
    QTest::newRow("typed name") << "/home/lab/run 7.txt"
                                << "/home/lab/run 7.txt";
    QTest::newRow("typed absolute path") << "/opt/vantrellab/bin//tmp/run 7/data.txt"
                                         << "/tmp/run 7/data.txt";
    QTest::newRow("typed absolute path in the root folder") << "///tmp/data.txt"
                                                            << "/tmp/data.txt";
    QTest::newRow("typed name in the root folder") << "//data.txt"
                                                   << "/data.txt";
    QTest::newRow("not a local file") << "https://example.org/data.txt"
                                      << "";
}

void tst_WorkerAsync::dialogSelectionToPath()
{
    QFETCH(QString, selection);
    QFETCH(QString, path);
    QCOMPARE(WorkerAsync::instance()->urlToPath(selection), path);
}

QTEST_GUILESS_MAIN(tst_WorkerAsync)
#include "tst_WorkerAsync.moc"
