#include "FirmwareUpdate.h"
#include "FileServer.h"
#include "WorkerAsync.h"
#include "WorkerProcess.h"
#include "convertToHostAddress.h"

#include <QEventLoop>

#include <algorithm>

namespace {
constexpr int MsPerSecond = 1000;

quint16 serverPort()
{
    bool ok = false;
    const uint port = qEnvironmentVariable("VT4_FILE_SERVER_PORT").toUInt(&ok);
    return ok && port > 0 && port <= 0xFFFF ? quint16(port) : FileServer::DefaultPort;
}
} // namespace

FirmwareUpdate::FirmwareUpdate(FileServer *server, WorkerAsync *facade, QObject *parent)
    : QObject(parent), m_server(server), m_facade(facade), m_port(serverPort())
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] { finish(false, m_watchdogReason); });
    // Waiting for a crate that said no would only end in the connect time-out.
    connect(facade->worker(), &WorkerProcess::unitUpdateRefused, this, [this](int address) {
        if (m_phase == PhaseConnecting)
            finish(false, QStringLiteral("The crate refused to update module %1").arg(address));
    });
    // The crate connects back once; a connect-back from the wrong address will not be repeated.
    connect(server, &FileServer::peerRefused, this, [this](const QString &reason) {
        if (m_phase == PhaseConnecting)
            finish(false, reason);
    });
    connect(server, &FileServer::clientConnected, this, [this] {
        if (m_phase != PhaseConnecting)
            return;
        setPercent(0);
        setPhase(PhaseDownloading);
        restartWatchdog(
            m_silenceTimeoutMs,
            QStringLiteral("The crate sent nothing for %1 s").arg(m_silenceTimeoutMs / MsPerSecond));
        m_server->downloadAndSendFile(m_imageUrl);
    });
    connect(server, &FileServer::imageSent, this, [this] {
        if (m_phase != PhaseDownloading)
            return;
        setPercent(0);
        setPhase(PhaseWriting);
    });
    // Every report of the download or the crate shows the update is alive.
    const auto alive = [this] {
        if (m_running && m_phase != PhaseConnecting)
            m_watchdog.start();
    };
    connect(server, &FileServer::statusChanged, this, alive);
    connect(server, &FileServer::progressChanged, this, [this, alive](int progress) {
        alive();
        // Only the crate's completion is 100 %.
        if (m_phase == PhaseDownloading || m_phase == PhaseWriting)
            setPercent(std::clamp(progress, 0, FileServer::PercentDone - 1));
    });
    connect(server, &FileServer::errorOccurred, this,
            [this](const QString &error) { m_lastServerError = error; });
    connect(server, &FileServer::fileTransferCompleted, this, [this] {
        if (m_running)
            finish(true, QStringLiteral("Completed"));
    });
    connect(server, &FileServer::transferFailed, this, [this](const QString &reason) {
        if (m_running)
            finish(false, reason);
    });
}

void FirmwareUpdate::setTimeouts(int connectMs, int silenceMs)
{
    m_connectTimeoutMs = connectMs;
    m_silenceTimeoutMs = silenceMs;
}

void FirmwareUpdate::setPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged();
}

void FirmwareUpdate::setPercent(int percent)
{
    if (m_percent == percent)
        return;
    m_percent = percent;
    emit percentChanged();
}

void FirmwareUpdate::restartWatchdog(int ms, const QString &reason)
{
    m_watchdogReason = reason;
    m_watchdog.start(ms);
}

void FirmwareUpdate::start(int address, const QString &imageUrl)
{
    if (m_running)
        return;
    m_imageUrl = imageUrl;
    setPercent(0);
    setPhase(PhaseConnecting);
    m_server->setCrateAddress(convertToHostAddress(m_facade->CurrentAddress()));
    m_server->startServer(m_port);
    m_running = true;
    emit runningChanged();
    if (!m_server->isListening()) {
        finish(false, m_lastServerError);
        return;
    }
    restartWatchdog(m_connectTimeoutMs,
                    QStringLiteral("The crate did not connect to the file server within %1 s")
                        .arg(m_connectTimeoutMs / MsPerSecond));
    m_facade->sendCommand(WorkerAsync::CommandUpdateUnit, address);
}

void FirmwareUpdate::cancel()
{
    if (!m_running)
        return;
    finish(false, m_phase == PhaseWriting
                      ? QStringLiteral("Update cancelled while the crate was writing the image: the "
                                       "module's firmware may be incomplete")
                      : QStringLiteral("Update cancelled before the image reached the crate: the "
                                       "module keeps its firmware"));
}

void FirmwareUpdate::stopForQuit()
{
    if (!m_running)
        return;
    QEventLoop unlocked;
    const QMetaObject::Connection answered =
        connect(m_facade->worker(), &WorkerProcess::lockAnswered, &unlocked, &QEventLoop::quit);
    QTimer::singleShot(UnlockWaitMs, &unlocked, &QEventLoop::quit);
    finish(false, QStringLiteral("The program was closed during the update"));
    unlocked.exec();
    disconnect(answered);
}

void FirmwareUpdate::finish(bool succeeded, const QString &message)
{
    m_watchdog.stop();
    m_running = false;
    m_server->stopServer();
    m_facade->sendCommand(WorkerAsync::CommandLock, 0);
    setPhase(succeeded ? PhaseCompleted : PhaseFailed);
    if (succeeded)
        setPercent(FileServer::PercentDone);
    emit runningChanged();
    emit finished(succeeded, message);
}
