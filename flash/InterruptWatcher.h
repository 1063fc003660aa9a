#pragma once

#include <QObject>

class QSocketNotifier;

/// Delivers Ctrl-C (SIGINT) and SIGTERM as a Qt signal through a signalfd, so a long blocking
/// operation that processes events can be cancelled cleanly instead of the process dying with
/// the serial port half-way through a command.
class InterruptWatcher : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    /// Blocks the two signals for the process and watches them; false when that failed (the
    /// signals then keep their default action). Call before any thread is started.
    bool install();

signals:
    void interrupted();

private:
    void readSignal();

    int m_fd = -1;
    QSocketNotifier *m_notifier = nullptr;
};
