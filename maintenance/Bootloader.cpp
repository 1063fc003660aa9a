#include "Bootloader.h"

#include "CommonDriver.h"
#include "vtRs485IOInterface.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>

#include <algorithm>

namespace {
constexpr int PreSendEventsMs = 5; ///< events processed before every command
constexpr int WriteWaitMs = 5;     ///< longest wait for a command to be written
constexpr int RebootSettleMs = 10; ///< between the reboot command and opening the bootloader's port
constexpr int WaitSliceMs = 20;    ///< port waits are cut into slices so events (a cancel) get through
constexpr int InfoMaxBytes = 128;
constexpr int MaxDrainMs = 3000; ///< a line that talks longer than this without a pause is not in step
constexpr int ReplySize = 2;
const QByteArray InitCommand = QByteArrayLiteral("Init");
const QByteArray InfoCommand = QByteArrayLiteral("G");
const QByteArray ResetPointerCommand = QByteArrayLiteral("C");
const QByteArray EraseCommand = QByteArrayLiteral("D");
const QByteArray StartCommand = QByteArrayLiteral("S");
const QByteArray Ok = QByteArrayLiteral("Ok");
const QByteArray Refused = QByteArrayLiteral("Er");
} // namespace

Bootloader::Bootloader(QObject *parent) : QObject(parent), m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::errorOccurred, this, &Bootloader::portError);
}

Bootloader::~Bootloader() = default;

void Bootloader::cancel()
{
    m_cancelled = true;
}

void Bootloader::portError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::ReadError || error == QSerialPort::ResourceError)
        m_portLost = true;
}

void Bootloader::fail(const QString &text)
{
    // After a cancel or a lost port the waits fail on purpose; program() says why, once.
    if (!stopped())
        emit errorLoader(text);
}

bool Bootloader::program(const QString &path)
{
    m_cancelled = false;
    m_portLost = false;
    m_lastProgress = -1;
    m_programDeadline.setRemainingTime(m_limits.programTotalMs);
    const bool programmed = programSteps(path);
    if (!programmed && m_cancelled)
        emit errorLoader(tr("Programming cancelled"));
    else if (!programmed && m_portLost)
        emit errorLoader(tr("Serial port lost: %1").arg(m_port->errorString()));
    else if (!programmed && m_programDeadline.hasExpired())
        emit errorLoader(tr("Programming took longer than %1 s").arg(m_limits.programTotalMs / 1000));
    m_programDeadline = QDeadlineTimer(QDeadlineTimer::Forever);
    if (m_port->isOpen())
        m_port->close();
    emit loaderFinished();
    return programmed;
}

bool Bootloader::programSteps(const QString &path)
{
    if (m_portName.isEmpty()) {
        emit errorLoader(tr("PortName is not setted"));
        return false;
    }
    BootloaderImage image;
    if (!loadImage(path, image))
        return false;
    if (!m_hotPlug)
        rebootDevice();
    delayMs(RebootSettleMs);
    if (!openSerialPort() || !initializeLoader())
        return false;
    const QString info = getBootloaderInfo(); // a module without an information text is still programmed
    if (stopped())
        return false;
    emit infoLoader(QStringLiteral("Info: %1").arg(info));
    for (int round = 0; round < m_limits.programRounds && !stopped(); ++round) {
        if (clearProgram() && writeImage(image))
            return startApplication();
    }
    fail(tr("Programming failed after %1 attempts").arg(m_limits.programRounds));
    return false;
}

bool Bootloader::loadImage(const QString &path, BootloaderImage &image)
{
    switch (image.load(path)) {
    case BootloaderImage::Loaded:
        return true;
    case BootloaderImage::Missing:
        emit errorLoader(tr("Can't find file: %1").arg(path));
        break;
    case BootloaderImage::Unreadable:
        emit errorLoader(tr("Can't open *.bin file"));
        break;
    case BootloaderImage::Empty:
        emit errorLoader(tr("Firmware file is empty: %1").arg(path));
        break;
    case BootloaderImage::TooLarge:
        emit errorLoader(tr("Firmware file is larger than the module's flash (%1 bytes): %2")
                             .arg(BootloaderImage::MaxSize)
                             .arg(path));
        break;
    }
    return false;
}

void Bootloader::rebootDevice()
{
    // The link is declared first so it outlives the driver bound to it; both go at the end of
    // the call, which closes the port before the bootloader opens its own.
    vtRs485IOInterface link;
    link.setPortName(m_portName);
    CommonDriver driver;
    driver.setDevAddress(RebootAddress);
    driver.setIOInterface(&link);
    driver.reboot()->execute();
}

bool Bootloader::openSerialPort()
{
    emit infoLoader(QStringLiteral("Opening Serial Port"));
    m_port->setPortName(m_portName);
    // Settings before open(): some cannot be changed on an open pseudo-terminal.
    m_port->setBaudRate(BaudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    if (m_port->isOpen())
        return true;
    if (!m_port->open(QIODevice::ReadWrite)) {
        emit errorLoader(tr("Error at opening serialPort: %1").arg(static_cast<int>(m_port->error())));
        emit errorLoader(m_port->errorString());
        return false;
    }
    return true;
}

bool Bootloader::initializeLoader()
{
    emit infoLoader(QStringLiteral("Initialization Bootloader"));
    if (m_hotPlug)
        emit infoLoader(QStringLiteral("Please connect device to the Vantrel"));
    const QDeadlineTimer hotPlugDeadline(m_limits.hotPlugWaitMs);
    for (;;) {
        const QByteArray reply = exchange(InitCommand, ReplySize, m_limits.initReplyMs);
        if (reply == Ok)
            return true;
        if (stopped())
            return false;
        if (m_hotPlug && !hotPlugDeadline.hasExpired())
            continue;
        fail(reply.isEmpty() ? tr("No any answer from device") : tr("Wrong answer from Bootloader"));
        return false;
    }
}

QString Bootloader::getBootloaderInfo()
{
    emit infoLoader(QStringLiteral("Getting bootloader info"));
    if (!writeData(InfoCommand) || !waitForBytes(1, QDeadlineTimer(m_limits.infoReplyMs))) {
        drainUntilQuiet();
        fail(tr("No any answer from device"));
        return {};
    }
    // The text may come a byte at a time: it is complete at its size limit or once the line is quiet.
    QByteArray text = m_port->read(InfoMaxBytes);
    while (text.size() < InfoMaxBytes && waitForBytes(1, QDeadlineTimer(m_limits.infoSettleMs)))
        text += m_port->read(InfoMaxBytes - text.size());
    if (text.isEmpty()) {
        fail(tr("Wrong answer from Bootloader"));
        return {};
    }
    return QString::fromUtf8(text);
}

bool Bootloader::clearProgram()
{
    emit infoLoader(QStringLiteral("Reset pointer to the program memory"));
    if (!resetPointerInStep()) {
        fail(tr("Error! No any answer from Bootloader"));
        return false;
    }

    emit infoLoader(QStringLiteral("Delete Old Program (it may take up to 5 seconds)"));
    const QByteArray reply = exchange(EraseCommand, ReplySize, m_limits.eraseReplyMs);
    if (reply.isEmpty()) {
        fail(QString());
        fail(tr("Error! No any answer from Bootloader"));
        return false;
    }
    emit infoLoader(QString::fromLatin1(reply));
    if (reply == Ok)
        return true;
    fail(QString());
    fail(tr("Error! Wrong answer from Bootloaser"));
    return false;
}

bool Bootloader::writeProgram(const QString &path)
{
    BootloaderImage image;
    return loadImage(path, image) && writeImage(image);
}

bool Bootloader::writeImage(const BootloaderImage &image)
{
    emit infoLoader(QStringLiteral("Start programming device"));
    for (int block = 0; block < image.blockCount(); ++block) {
        const QByteArray packet = image.packet(block);
        QByteArray reply = exchange(packet, ReplySize, m_limits.blockReplyMs);
        for (int resend = 0; reply == Refused && resend < m_limits.blockResends; ++resend) {
            emit infoLoader(QStringLiteral("Packet error, try send packet again"));
            reply = exchange(packet, ReplySize, m_limits.blockReplyMs);
        }
        if (reply != Ok) {
            if (stopped())
                return false;
            fail(QString());
            fail(tr("Fatal error. Bootloader will be start again"));
            emit infoLoader(tr("Restart bootloader"));
            emit restart();
            return false;
        }
        reportProgress(image.bytesThrough(block), image.size());
    }
    return true;
}

bool Bootloader::startApplication()
{
    emit infoLoader(QStringLiteral("Start Application"));
    const QByteArray reply = exchange(StartCommand, ReplySize, m_limits.startReplyMs);
    if (reply.isEmpty())
        fail(tr("No any answer from Bootloader"));
    else if (reply != Ok)
        fail(tr("Wrong answer from Bootloader"));
    return reply == Ok;
}

void Bootloader::reportProgress(qint64 written, qint64 total)
{
    const int percent = static_cast<int>(std::min<qint64>(100, written * 100 / total));
    if (percent <= m_lastProgress)
        return;
    m_lastProgress = percent;
    emit loaderProgressChanged(percent);
}

bool Bootloader::resetPointerInStep()
{
    for (int attempt = 0; attempt < m_limits.resetPointerAttempts && !stopped(); ++attempt) {
        if (exchange(ResetPointerCommand, ReplySize, m_limits.resetPointerReplyMs) != Ok)
            continue;
        // A second reply, if one is queued, follows within the wait of the command it answers.
        if (!waitForBytes(1, QDeadlineTimer(m_limits.resetPointerReplyMs)))
            return !stopped();
        drainUntilQuiet();
    }
    return false;
}

QByteArray Bootloader::exchange(const QByteArray &command, int size, int timeoutMs)
{
    if (!writeData(command))
        return {};
    const bool answered = waitForBytes(size, QDeadlineTimer(timeoutMs));
    const QByteArray reply = m_port->read(size);
    if (!answered)
        drainUntilQuiet();
    return reply;
}

void Bootloader::drainUntilQuiet()
{
    if (!m_port->isOpen())
        return;
    const QDeadlineTimer limit(MaxDrainMs);
    do
        m_port->readAll();
    while (waitForBytes(1, QDeadlineTimer(m_limits.lineQuietMs)) && !limit.hasExpired());
}

bool Bootloader::writeData(const QByteArray &bytes)
{
    delayMs(PreSendEventsMs);
    if (stopped() || !m_port->isOpen())
        return false;
    // Whatever is still in the input (a late reply, noise of a restarting module, the reboot's
    // acknowledgement) would be taken for the answer to this command.
    m_port->clear(QSerialPort::Input);
    if (m_port->write(bytes) != bytes.size())
        return false;
    m_port->flush();
    if (m_port->bytesToWrite() > 0)
        m_port->waitForBytesWritten(WriteWaitMs);
    return true;
}

bool Bootloader::waitForBytes(qint64 count, const QDeadlineTimer &deadline)
{
    while (m_port->bytesAvailable() < count) {
        if (stopped() || !m_port->isOpen())
            return false;
        const qint64 remaining = deadline.remainingTime();
        if (remaining == 0)
            return false;
        m_port->waitForReadyRead(static_cast<int>(std::min<qint64>(remaining, WaitSliceMs)));
        QCoreApplication::processEvents();
    }
    return true;
}

void Bootloader::delayMs(int ms)
{
    const QDeadlineTimer deadline(ms);
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!deadline.hasExpired() && !stopped()) {
        wake.start(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}
