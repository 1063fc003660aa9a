#pragma once

#include <QHostAddress>
#include <QProcess>
#include <QStringList>

/// The crate simulator run as a subprocess for a test. It listens on 127.0.0.1 on a free port
/// (or the one given in the extra arguments), with `--verbose` so that the test can watch the
/// connections and text commands it receives. Stopped with SIGTERM when the object goes.
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QStringList &extraArguments = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess &) = delete;
    SimulatorProcess &operator=(const SimulatorProcess &) = delete;

    /// Starts the simulator and waits until it reports its listening port.
    bool start(int timeoutMs = 10000);
    /// Sends SIGTERM and waits for a clean exit; true when it exited with code 0.
    bool stop(int timeoutMs = 5000);

    QHostAddress address() const { return QHostAddress(QHostAddress::LocalHost); }
    quint16 port() const { return m_port; }
    /// The serial port of the module on a pseudo-terminal (`--serial-module`), else empty.
    QString serialPortPath() const;

    /// Every line the simulator has printed so far (event processing collects them).
    QStringList lines() const { return m_lines; }
    /// Processes events until a printed line contains `text`, at most `timeoutMs`.
    bool waitForLine(const QString &text, int timeoutMs = 5000);
    /// Number of printed lines that contain `text`.
    int countLines(const QString &text) const;
    void clearLines() { m_lines.clear(); }

    QProcess &process() { return m_process; }

private:
    void collectOutput();

    QStringList m_arguments;
    QProcess m_process;
    QByteArray m_partialLine;
    QStringList m_lines;
    quint16 m_port = 0;
};
