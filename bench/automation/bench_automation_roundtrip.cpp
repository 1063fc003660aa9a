// Round trip of a "readings" call through the automation interface, from a script's blocking
// socket in another thread to the reply line, while the facade is connected to the simulator and
// polls its modules as the home screen does. Baselines in the same run: a bare line echo over
// loopback served by the same event loop, and the facade-to-worker latency (setCommand to the
// start of that command on the worker thread).
#include "AutomationInterface.h"
#include "FacadeSession.h"
#include "SampleStats.h"
#include "WorkerProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QThread>

#include <atomic>

namespace {
constexpr int Rounds = 300;
constexpr int MaxPauseMs = 40; ///< between calls, so each meets the loops in a different phase
constexpr int ReplyWaitMs = 5000;
constexpr int SspdModules = 4;

QElapsedTimer s_clock;

void pause()
{
    QThread::msleep(QRandomGenerator::global()->bounded(1, MaxPauseMs));
}

/// Round trips of `line` from a blocking client in its own thread, in microseconds, while this
/// thread's event loop serves them.
QList<double> clientRoundTrips(quint16 port, const QByteArray &line)
{
    QList<double> samples;
    QThread *client = QThread::create([&] {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (!socket.waitForConnected(ReplyWaitMs))
            qFatal("no connection to port %u", port);
        for (int i = 0; i < Rounds; ++i) {
            pause();
            const qint64 sentNs = s_clock.nsecsElapsed();
            socket.write(line);
            while (!socket.canReadLine()) {
                if (!socket.waitForReadyRead(ReplyWaitMs))
                    qFatal("no reply");
            }
            samples << (s_clock.nsecsElapsed() - sentNs) / 1000.0;
            socket.readLine();
        }
    });
    QEventLoop loop;
    QObject::connect(client, &QThread::finished, &loop, &QEventLoop::quit);
    client->start();
    loop.exec();
    delete client;
    return samples;
}

/// The least a loopback request can cost here: the same client, a server that echoes the line.
QList<double> bareLoopback()
{
    QTcpServer echo;
    echo.listen(QHostAddress::LocalHost);
    QObject::connect(&echo, &QTcpServer::newConnection, [&echo] {
        QTcpSocket *socket = echo.nextPendingConnection();
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            while (socket->canReadLine())
                socket->write(socket->readLine());
        });
    });
    return clientRoundTrips(echo.serverPort(), QByteArrayLiteral("{\"ping\": 1}\n"));
}

/// setCommand on this thread to the command's start on the worker, polling as the home screen does.
QList<double> facadeToWorker(WorkerProcess *worker)
{
    std::atomic<qint64> startedNs{-1};
    const QMetaObject::Connection stamp = QObject::connect(
        worker, &WorkerProcess::commandStarted, worker,
        [&](int, quint64) { startedNs = s_clock.nsecsElapsed(); }, Qt::DirectConnection);
    QList<double> samples;
    for (int i = 0; i < Rounds; ++i) {
        pause();
        startedNs = -1;
        const qint64 queuedNs = s_clock.nsecsElapsed();
        worker->setCommand(WorkerAsync::CommandSetTimeOut, 1000);
        QElapsedTimer limit;
        limit.start();
        while (startedNs.load() < 0) {
            if (limit.elapsed() > ReplyWaitMs)
                qFatal("the worker did not take the command");
            QThread::yieldCurrentThread();
        }
        samples << (startedNs - queuedNs) / 1000.0;
    }
    QObject::disconnect(stamp);
    return samples;
}

QString line(const char *name, const SampleStats &stats)
{
    return QString("  %1 median %2 us  p99 %3 us\n")
        .arg(QString::fromLatin1(name), -28)
        .arg(stats.median(), 8, 'f', 1)
        .arg(stats.percentile(0.99), 8, 'f', 1);
}
} // namespace

int main(int argc, char *argv[])
{
    FacadeSession::prepareEnvironment();
    // As the headless program runs: no GUI application object.
    QCoreApplication app(argc, argv);
    s_clock.start();
    FacadeSession session(SspdModules);
    if (!session.start())
        qFatal("the facade did not connect to the simulator");
    session.facade()->activateMode(WorkerAsync::WorkerModeAllChannels);
    QTemporaryDir tokenFolder;
    AutomationInterface automation(session.facade());
    const QString error = automation.start(0, tokenFolder.path());
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));

    const SampleStats bare(bareLoopback());
    const QByteArray readings = R"({"id": 1, "token": ")" + automation.token().toLatin1() +
                                R"(", "call": "readings", "args": {"address": 1}})" + '\n';
    const SampleStats interface(clientRoundTrips(automation.port(), readings));
    const SampleStats worker(facadeToWorker(session.facade()->worker()));

    QTextStream out(stdout);
    out << "\"readings\" round trip, " << Rounds << " calls, " << SspdModules
        << " modules polled once a second\n";
    out << line("bare loopback echo", bare);
    out << line("automation \"readings\"", interface);
    out << line("facade -> worker latency", worker);
    out << QString("  interface / bare loopback   median x%1\n")
               .arg(interface.median() / bare.median(), 0, 'f', 2);
    const double budget = worker.median() + 1000.0;
    out << QString("  target: interface median <= worker median + 1 ms = %1 us: %2\n")
               .arg(budget, 0, 'f', 1)
               .arg(interface.median() <= budget ? "met" : "NOT met");
    return 0;
}
