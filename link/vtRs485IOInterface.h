#pragma once

#include "vtFrameAssembler.h"
#include "vtIOInterfaceImpl.h"

#include <QList>
#include <QSerialPort>
#include <QString>
#include <memory>

/// The link to the module bus through a serial port (an RS-485 adapter), for a module attached
/// directly instead of through a crate. Every message is framed by the packet codec (markers,
/// escaping, CRC-32). Used on the thread that created it only.
class vtRs485IOInterface : public vtIOInterfaceImpl
{
    Q_OBJECT
public:
    static constexpr qint32 BaudRate = 500000;
    static constexpr int WriteWaitMs = 5;           ///< longest wait for a frame to be written
    static constexpr unsigned long SendPauseUs = 2; ///< pause after the flush of a frame

    explicit vtRs485IOInterface(QObject *parent = nullptr);
    ~vtRs485IOInterface() override;

    QString portName() const { return m_portName; }
    /// Stores the port's system name; a port that was already created keeps its name.
    void setPortName(const QString &name) { m_portName = name; }
    /// The port, or null before the first initialisation.
    QSerialPort *serialPort() const { return m_port.get(); }

    void setTransmitMode(TransmitMode mode) override;
    QByteArray directRead() override;
    bool directWrite(const QByteArray &bytes) override;

protected:
    bool pInitialize() override;
    /// False when the port cannot be opened, was closed (unplugged), the message does not fit in
    /// a frame or the write fails.
    bool pSendMsg(quint8 address, quint8 command, quint8 dataLength, quint8 *data) override;

private slots:
    void dataReady();

private:
    bool writeWithSendSequence(const QByteArray &bytes);
    void portError(QSerialPort::SerialPortError error);

    std::unique_ptr<QSerialPort> m_port;
    QString m_portName;
    vtFrameAssembler m_assembler;
    QList<vtFrameAssembler::Message> m_pending; ///< received, not yet delivered
    bool m_delivering = false; ///< a receiver is handling a message (and may spin the event loop)
    bool m_closePending = false;
};
