#include "vtRs485IOInterface.h"
#include "LinkLogging.h"

#include <QCoreApplication>
#include <QThread>

vtRs485IOInterface::vtRs485IOInterface(QObject *parent) : vtIOInterfaceImpl(parent) {}

vtRs485IOInterface::~vtRs485IOInterface()
{
    if (m_port && m_port->isOpen())
        m_port->close();
}

bool vtRs485IOInterface::pInitialize()
{
    m_assembler.clear();
    if (m_portName.isEmpty())
        return false;
    if (!m_port) {
        m_port = std::make_unique<QSerialPort>(m_portName);
        // Settings before open(): some cannot be changed on an open pseudo-terminal.
        m_port->setBaudRate(BaudRate);
        m_port->setDataBits(QSerialPort::Data8);
        m_port->setParity(QSerialPort::NoParity);
        connect(m_port.get(), &QSerialPort::errorOccurred, this, &vtRs485IOInterface::portError);
    }
    if (!m_port->isOpen()) {
        if (!m_port->open(QIODevice::ReadWrite)) {
            qCDebug(lcLink) << "cannot open" << m_portName << m_port->errorString();
            return false;
        }
        m_closePending = false;
    }
    setTransmitMode(MessageMode);
    return true;
}

bool vtRs485IOInterface::pSendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data)
{
    if (!m_port && !initialize())
        return false;
    if (!m_port->isOpen())
        return false;
    // Frames are built in the shared codec; received frames are assembled apart, in m_assembler.
    cOrvexProtocolPC *codec = cOrvexProtocolPC::instance();
    if (!codec->codeData(address, command, dataLength, data))
        return false;
    return writeWithSendSequence(
        QByteArray(reinterpret_cast<const char *>(codec->buffer()), codec->bufferLength()));
}

bool vtRs485IOInterface::writeWithSendSequence(const QByteArray &bytes)
{
    if (m_port->write(bytes) != bytes.size())
        return false;
    m_port->flush();
    QCoreApplication::processEvents();
    QThread::usleep(SendPauseUs);
    if (m_port->bytesToWrite() > 0)
        m_port->waitForBytesWritten(WriteWaitMs);
    // The port may have been lost while events were processed.
    return m_port->isOpen();
}

void vtRs485IOInterface::dataReady()
{
    if (!m_port || !m_port->isOpen())
        return;
    m_pending.append(m_assembler.feed(m_port->readAll()));
    // A receiver may spin the event loop and so run this slot again: the outer call delivers
    // everything, in the order received.
    if (m_delivering)
        return;
    m_delivering = true;
    while (!m_pending.isEmpty()) {
        vtFrameAssembler::Message message = m_pending.takeFirst();
        emit msgReceived(message.address, message.command, static_cast<quint8>(message.data.size()),
                         reinterpret_cast<quint8 *>(message.data.data()));
    }
    m_delivering = false;
}

void vtRs485IOInterface::portError(QSerialPort::SerialPortError error)
{
    // A vanished device (unplugged adapter, closed pseudo-terminal) keeps reporting read errors
    // as long as the port is open: close it once, from the event loop.
    if ((error != QSerialPort::ReadError && error != QSerialPort::ResourceError) || m_closePending)
        return;
    m_closePending = true;
    qCWarning(lcLink) << "serial port" << m_portName << "lost:" << m_port->errorString();
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_port && m_port->isOpen())
                m_port->close();
        },
        Qt::QueuedConnection);
}

void vtRs485IOInterface::setTransmitMode(TransmitMode mode)
{
    if (mode == transmitMode() || !m_port)
        return;
    if (mode == MessageMode)
        connect(m_port.get(), &QSerialPort::readyRead, this, &vtRs485IOInterface::dataReady,
                Qt::QueuedConnection);
    else
        disconnect(m_port.get(), &QSerialPort::readyRead, this, nullptr);
    vtIOInterfaceImpl::setTransmitMode(mode);
}

QByteArray vtRs485IOInterface::directRead()
{
    if (transmitMode() != DirectMode)
        return {};
    if (!m_port && !initialize())
        return {};
    return m_port->readAll();
}

bool vtRs485IOInterface::directWrite(const QByteArray &bytes)
{
    if (transmitMode() != DirectMode)
        return false;
    if (!m_port && !initialize())
        return false;
    return m_port->isOpen() && writeWithSendSequence(bytes);
}
