#include "UpdateChecker.h"
#include "FirmwareLogging.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {
UpdateChecker *s_checker = nullptr;
} // namespace

UpdateChecker *UpdateChecker::instance()
{
    if (!s_checker)
        s_checker = new UpdateChecker();
    return s_checker;
}

UpdateChecker::UpdateChecker(QObject *parent)
    : QObject(parent), m_updaterPath(QCoreApplication::applicationDirPath() + QStringLiteral("/Updater.exe"))
{
    connect(&m_process, &QProcess::finished, this, &UpdateChecker::onProcessFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &UpdateChecker::onProcessError);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &UpdateChecker::onReadyRead);
    m_checkTimer.setSingleShot(true);
    m_checkTimer.setInterval(CheckTimeoutMs);
    connect(&m_checkTimer, &QTimer::timeout, this, [this] {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_timedOut = true;
        m_process.kill();
    });
    qCDebug(lcFirmware) << "Updater path:" << m_updaterPath;
}

void UpdateChecker::checkAvailableUpdates()
{
    checkForUpdates(m_updaterPath, {QStringLiteral("--checkupdates")});
}

void UpdateChecker::checkForUpdates(const QString &program, const QStringList &arguments)
{
    if (m_process.state() != QProcess::NotRunning)
        return;
    m_output.clear();
    m_error.clear();
    m_timedOut = false;
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    qCDebug(lcFirmware) << "Start asynchronious process:" << program << arguments.join(QLatin1Char(' '));
    // Started without waiting: a failure to start arrives as errorOccurred.
    m_process.start(QIODevice::ReadWrite);
    m_checkTimer.start();
}

void UpdateChecker::onReadyRead()
{
    const QString chunk = QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_output += chunk;
    qCDebug(lcFirmware) << "Data:" << chunk;
}

void UpdateChecker::onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus)
{
    m_checkTimer.stop();
    qCDebug(lcFirmware) << "Process finished. Code:" << exitCode;
    m_output += QString::fromLocal8Bit(m_process.readAllStandardOutput());
    m_error += QString::fromLocal8Bit(m_process.readAllStandardError());
    qCDebug(lcFirmware) << "Output string:" << m_output;
    qCDebug(lcFirmware) << "Error string:" << m_error;
    if (exitStatus == QProcess::NormalExit && exitCode == 0) {
        parseOutput();
        return;
    }
    qCDebug(lcFirmware) << "Error at check update";
    emit checkFailed(QStringLiteral("Process finished with error code: ") + m_error);
}

void UpdateChecker::parseOutput()
{
    static const QRegularExpression Version(QStringLiteral("version=\"(\\d+)\\.(\\d+)\\.(\\d+)-(\\d+)\""));
    if (!m_output.contains(QLatin1String("version=")))
        return;
    const QRegularExpressionMatch match = Version.match(m_output);
    if (!match.hasMatch())
        return;
    m_newVersion = QStringLiteral("%1.%2.%3-%4")
                       .arg(match.captured(1), match.captured(2), match.captured(3), match.captured(4));
    m_updateAvailable = true;
    emit updateAvailableChanged();
    qCDebug(lcFirmware) << m_newVersion;
}

void UpdateChecker::onProcessError(QProcess::ProcessError error)
{
    switch (error) {
    case QProcess::FailedToStart:
        m_checkTimer.stop();
        emit checkFailed(QStringLiteral("Failed to start process"));
        break;
    case QProcess::Crashed:
        emit checkFailed(m_timedOut ? QStringLiteral("Tine out") : QStringLiteral("Process crashed"));
        break;
    case QProcess::Timedout:
        emit checkFailed(QStringLiteral("Tine out"));
        break;
    default:
        emit checkFailed(QStringLiteral("Unknown error"));
        break;
    }
}

void UpdateChecker::startUpdate()
{
    qCDebug(lcFirmware) << "Start update";
    if (!QProcess::startDetached(m_updaterPath, {QStringLiteral("--start-updater")}, QString())) {
        qCDebug(lcFirmware) << "Error at process running";
        emit checkFailed(QStringLiteral("Can't start the updater %1").arg(m_updaterPath));
        return;
    }
    qCDebug(lcFirmware) << "Process was started";
    QCoreApplication::quit();
}
