#include "SimulatorProcess.h"

#include <QRegularExpression>
#include <QTest>

#include <csignal>

SimulatorProcess::SimulatorProcess(const QStringList &extraArguments)
{
    m_arguments = QStringList{"--address", "127.0.0.1", "--port", "0", "--verbose"};
    m_arguments += extraArguments;
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&m_process, &QProcess::readyReadStandardOutput, [this] { collectOutput(); });
}

SimulatorProcess::~SimulatorProcess()
{
    if (m_process.state() != QProcess::NotRunning && !stop()) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool SimulatorProcess::start(int timeoutMs)
{
    m_process.start(QStringLiteral(VT_SIM_PATH), m_arguments);
    if (!m_process.waitForStarted(timeoutMs))
        return false;
    if (!waitForLine(QStringLiteral("listening on"), timeoutMs))
        return false;
    static const QRegularExpression listening(QStringLiteral("listening on [^ ]+:(\\d+)"));
    for (const QString &line : std::as_const(m_lines)) {
        const auto match = listening.match(line);
        if (match.hasMatch())
            m_port = static_cast<quint16>(match.captured(1).toUInt());
    }
    return m_port != 0;
}

bool SimulatorProcess::stop(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
    ::kill(static_cast<pid_t>(m_process.processId()), SIGTERM);
    if (!m_process.waitForFinished(timeoutMs))
        return false;
    collectOutput();
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QString SimulatorProcess::serialPortPath() const
{
    static const QString prefix = QStringLiteral("serial module on ");
    for (const QString &line : m_lines) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size());
    }
    return {};
}

void SimulatorProcess::collectOutput()
{
    m_partialLine += m_process.readAllStandardOutput();
    int end;
    while ((end = m_partialLine.indexOf('\n')) >= 0) {
        m_lines << QString::fromUtf8(m_partialLine.left(end)).trimmed();
        m_partialLine.remove(0, end + 1);
    }
}

bool SimulatorProcess::waitForLine(const QString &text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return countLines(text) > 0; }, timeoutMs);
}

int SimulatorProcess::countLines(const QString &text) const
{
    int count = 0;
    for (const QString &line : m_lines)
        count += line.contains(text) ? 1 : 0;
    return count;
}
