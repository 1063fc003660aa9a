#include "FirmwareUpdateClient.h"
#include "ConsoleLog.h"

#include <QDataStream>
#include <QRegularExpression>

namespace {
constexpr int PercentDone = 100;
constexpr int HeaderProbeBytes = 64;

/// One crate message: a data-stream tag and what follows it.
template <typename... Payload> QByteArray message(const QString &tag, const Payload &...payload)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << tag;
    ((stream << payload), ...);
    return bytes;
}
} // namespace

void FirmwareUpdateClient::start(const QHostAddress &pc, int moduleAddress, const Settings &settings,
                                 const ConsoleLog &log, VersionSetter setVersion)
{
    if (settings.fault == Fault::NoConnect) {
        log.event(QStringLiteral("update %1 never connects").arg(moduleAddress));
        return;
    }
    auto *client = new FirmwareUpdateClient(moduleAddress, settings, log, std::move(setVersion));
    client->m_socket.connectToHost(pc, settings.port);
}

FirmwareUpdateClient::FirmwareUpdateClient(int moduleAddress, const Settings &settings, const ConsoleLog &log,
                                           VersionSetter setVersion)
    : m_moduleAddress(moduleAddress), m_settings(settings), m_log(log), m_setVersion(std::move(setVersion))
{
    connect(&m_socket, &QTcpSocket::connected, this,
            [this] { m_log.event(QStringLiteral("update %1 connected").arg(m_moduleAddress)); });
    connect(&m_socket, &QTcpSocket::readyRead, this, &FirmwareUpdateClient::readImage);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, [this] {
        end(QStringLiteral("update %1 lost the server: %2").arg(m_moduleAddress).arg(m_socket.errorString()));
    });
    connect(&m_steps, &QTimer::timeout, this, &FirmwareUpdateClient::step);
}

QString FirmwareUpdateClient::headerVersion(const QByteArray &image)
{
    static const QRegularExpression Header(QStringLiteral("^VT4-FIRMWARE ([0-9A-Za-z.+-]{1,32})\n"));
    const QRegularExpressionMatch match = Header.match(QString::fromLatin1(image.left(HeaderProbeBytes)));
    return match.hasMatch() ? match.captured(1) : QString();
}

void FirmwareUpdateClient::readImage()
{
    if (m_imageRead) {
        m_socket.readAll(); // the server has nothing more to say
        return;
    }
    m_received.append(m_socket.readAll());
    QDataStream stream(m_received);
    QString tag;
    qint64 size = 0;
    quint32 length = 0;
    stream >> tag >> size >> length;
    if (stream.status() != QDataStream::Ok)
        return; // the header is not all there yet
    if (tag != QLatin1String("FILE_DATA") || size <= 0 || size > MaxImageBytes || qint64(length) != size) {
        send(message(QStringLiteral("ERROR"), QStringLiteral("Invalid firmware file")));
        end(QStringLiteral("update %1 refused a bad file").arg(m_moduleAddress));
        return;
    }
    const qint64 headerBytes = stream.device()->pos();
    if (m_received.size() - headerBytes < size)
        return;
    const QByteArray image = m_received.mid(headerBytes, size);
    m_received.clear();
    m_imageRead = true;
    m_version = headerVersion(image);
    m_log.event(QStringLiteral("update %1 received %2 bytes").arg(m_moduleAddress).arg(size));
    sendStatus(QStringLiteral("File received: %1 bytes").arg(size));
    sendStatus(QStringLiteral("Erasing flash..."));
    m_steps.start(m_settings.stepMs);
}

void FirmwareUpdateClient::step()
{
    ++m_step;
    if (m_step > 1 && m_settings.fault != Fault::None) {
        m_steps.stop();
        if (m_settings.fault == Fault::Drop) {
            m_socket.abort();
            end(QStringLiteral("update %1 dropped the connection").arg(m_moduleAddress));
        } else if (m_settings.fault == Fault::Error) {
            send(message(QStringLiteral("ERROR"), m_settings.errorText));
            end(QStringLiteral("update %1 failed: %2").arg(m_moduleAddress).arg(m_settings.errorText));
        } else {
            m_log.event(QStringLiteral("update %1 stalls").arg(m_moduleAddress));
        }
        return;
    }
    if (m_step == 1)
        sendStatus(QStringLiteral("Writing flash..."));
    const qint32 percent = m_step * PercentDone / ProgressSteps;
    if (m_step < ProgressSteps) {
        send(message(QStringLiteral("PROGRESS"), percent));
        return;
    }
    m_steps.stop();
    if (!m_version.isEmpty())
        m_setVersion(m_version);
    // The last report and the completion leave in one write, as a busy crate sends them.
    send(message(QStringLiteral("PROGRESS"), qint32(PercentDone)) + message(QStringLiteral("COMPLETED")));
    m_socket.disconnectFromHost();
    end(QStringLiteral("update %1 completed%2")
            .arg(m_moduleAddress)
            .arg(m_version.isEmpty() ? QString() : QStringLiteral(": firmware ") + m_version));
}

void FirmwareUpdateClient::sendStatus(const QString &text)
{
    send(message(QStringLiteral("STATUS"), text));
}

void FirmwareUpdateClient::send(const QByteArray &message)
{
    m_socket.write(message);
    m_socket.flush();
}

void FirmwareUpdateClient::end(const QString &event)
{
    m_socket.disconnect(this);
    m_steps.stop();
    m_log.event(event);
    deleteLater();
}
