#pragma once

#include "BootloaderImage.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QSerialPort>
#include <QString>

/// Programs a module's firmware over a serial port the module is attached to directly: asks the
/// running module to reboot (the common reboot command, framed, to address 255), then talks to
/// its resident bootloader ("Init", "G", "C", "D", "P" + block + CRC-32, "S"; replies "Ok" / "Er").
///
/// Every operation blocks its caller but processes the caller's events during its waits, so a
/// cancel() from a signal handler or a button takes effect within a few milliseconds. Every retry
/// loop is bounded by a count and a time (Limits).
class Bootloader : public QObject
{
    Q_OBJECT
public:
    static constexpr qint32 BaudRate = 500000;
    static constexpr quint8 RebootAddress = 255; ///< every module on the line takes it

    /// Waits and retry bounds, ms and counts. The defaults suit a module on a real line; tests
    /// shorten them.
    struct Limits
    {
        int initReplyMs = 2000;     ///< "Init" until its reply
        int hotPlugWaitMs = 120000; ///< hot plug: how long "Init" is repeated for the user
        int infoReplyMs = 2000;     ///< "G" until the first reply byte
        int infoSettleMs = 100;     ///< the text is complete once the line has been quiet this long
        int resetPointerReplyMs = 100;
        int resetPointerAttempts = 20; ///< "C" tries before the step fails
        int eraseReplyMs = 5000;
        int blockReplyMs = 5000;
        int blockResends = 10; ///< "Er" answers taken per block before the round fails
        int startReplyMs = 1000;
        int programRounds = 3;       ///< erase-and-write rounds before program() gives up
        int programTotalMs = 600000; ///< program() as a whole; a 112 KiB image needs about 10 s
        int lineQuietMs = 100;       ///< after a time-out, the line is drained until quiet this long
    };

    explicit Bootloader(QObject *parent = nullptr);
    ~Bootloader() override;

    QString portName() const { return m_portName; }
    void setPortName(const QString &name) { m_portName = name; }
    bool isHotPlugFlagSetted() const { return m_hotPlug; }
    /// Set: the user plugs the module in while "Init" is repeated; no reboot command is sent.
    void setHotPlugFlag(bool hotPlug) { m_hotPlug = hotPlug; }
    Limits limits() const { return m_limits; }
    void setLimits(const Limits &limits) { m_limits = limits; }

    /// The whole update: checks the image, reboots the module, initialises the bootloader,
    /// erases, writes and starts the application. True only when the module started the new
    /// application. loaderFinished() is emitted exactly once, after the last message.
    bool program(const QString &path);

    /// Sends the reboot command through a temporary link and common driver on the port.
    void rebootDevice();
    bool openSerialPort();
    bool initializeLoader();
    /// The bootloader's information text; empty on failure.
    QString getBootloaderInfo();
    /// Resets the write pointer and erases; true when both were acknowledged.
    bool clearProgram();
    /// Writes the image file; true when every block was acknowledged.
    bool writeProgram(const QString &path);
    /// True when the bootloader acknowledged the start of the application.
    bool startApplication();
    /// Send sequence: events for 5 ms, drop stale input, write, flush, wait up to 5 ms.
    bool writeData(const QByteArray &bytes);
    /// Processes the caller's events for `ms` milliseconds without loading the CPU.
    void delayMs(int ms);

public slots:
    /// Stops a running program() at its next wait (within about 20 ms); it then fails with
    /// "Programming cancelled".
    void cancel();

signals:
    void loaderProgressChanged(int percent);
    void loaderFinished();
    void restart();
    void infoLoader(const QString &text);
    void errorLoader(const QString &text);

private:
    bool programSteps(const QString &path);
    /// Reads and checks the image; reports why it cannot be used.
    bool loadImage(const QString &path, BootloaderImage &image);
    bool writeImage(const BootloaderImage &image);
    /// Sends `command` and waits until `size` reply bytes arrived or `timeoutMs` passed; after a
    /// time-out the line is drained, so a late reply is not read as the answer to a later command.
    QByteArray exchange(const QByteArray &command, int size, int timeoutMs);
    /// "C" until its "Ok" is the last thing on the line: a module still busy with an earlier
    /// command answers everything it queued at once, so an "Ok" followed by more may be stale.
    bool resetPointerInStep();
    /// Drops input until the line has been quiet for lineQuietMs (or talked for MaxDrainMs).
    void drainUntilQuiet();
    /// Waits until `count` bytes are readable; false on time-out, cancel or a lost port.
    bool waitForBytes(qint64 count, const QDeadlineTimer &deadline);
    bool stopped() const { return m_cancelled || m_portLost || m_programDeadline.hasExpired(); }
    void reportProgress(qint64 written, qint64 total);
    void fail(const QString &text);
    void portError(QSerialPort::SerialPortError error);

    QString m_portName;
    QSerialPort *m_port;
    bool m_hotPlug = false;
    Limits m_limits;
    bool m_cancelled = false;
    bool m_portLost = false;
    QDeadlineTimer m_programDeadline{QDeadlineTimer::Forever}; ///< end of the running program() call
    int m_lastProgress = -1; ///< progress only ever goes up within one program() call
};
