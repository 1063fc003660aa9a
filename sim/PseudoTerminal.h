#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

/// A pseudo-terminal pair opened by the simulator: the simulator reads and writes the master
/// side; a program opens slavePath() as its serial port. The simulator keeps the slave side open
/// too, so a program may close and reopen the port without the master seeing a hang-up.
class PseudoTerminal : public QObject
{
    Q_OBJECT
public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    /// Opens the pair in raw mode (no echo, no line editing). False with `error` set on failure.
    bool open(QString *error);
    /// The path a program opens, e.g. "/dev/pts/7".
    QString slavePath() const { return m_slavePath; }
    /// Writes bytes towards the program (waits briefly when the terminal's buffer is full).
    void write(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);

private:
    void readMaster();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
};
