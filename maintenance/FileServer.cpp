#include "FileServer.h"
#include "FirmwareLogging.h"

#include <QDataStream>
#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTcpSocket>

namespace {
constexpr int MsPerSecond = 1000;
constexpr qsizetype MarkupProbeBytes = 512; ///< the start of a body searched for markup
} // namespace

FileServer::FileServer(QObject *parent) : QObject(parent), m_network(new QNetworkAccessManager(this))
{
    m_network->setProxy(QNetworkProxy::NoProxy);
}

FileServer::~FileServer()
{
    m_stage = Stage::Idle; // an aborted download reports nothing
    if (m_download)
        m_download->abort();
}

QByteArray FileServer::fileDataMessage(const QByteArray &image)
{
    QByteArray message;
    QDataStream stream(&message, QIODevice::WriteOnly);
    stream.setVersion(FileDataStreamVersion);
    stream << QStringLiteral("FILE_DATA") << qint64(image.size()) << image;
    return message;
}

void FileServer::setStatus(const QString &status)
{
    m_status = status;
    emit statusChanged(m_status);
}

void FileServer::setProgress(int progress)
{
    m_progress = progress;
    emit progressChanged(m_progress);
}

void FileServer::fail(const QString &error, const QString &status)
{
    emit errorOccurred(error);
    setStatus(status.isEmpty() ? error : status);
    if (m_stage == Stage::Finished)
        return;
    m_stage = Stage::Finished;
    emit transferFailed(error);
}

void FileServer::startServer(quint16 port)
{
    if (m_server)
        m_server->deleteLater();
    m_server = new QTcpServer(this);
    m_network->setProxy(QNetworkProxy::NoProxy);
    connect(m_server, &QTcpServer::newConnection, this, &FileServer::onNewConnection);
    setProgress(0); // a new update starts from nothing, whatever the last one reached
    if (!m_server->listen(QHostAddress::Any, port)) {
        emit errorOccurred(QStringLiteral("Can't start file server: ") + m_server->errorString());
        return;
    }
    setStatus(QStringLiteral("Server was started at port %1").arg(port));
}

bool FileServer::isListening() const
{
    return m_server && m_server->isListening();
}

void FileServer::stopServer()
{
    qCDebug(lcFirmware) << "stop server";
    m_connected = false;
    m_stage = Stage::Idle; // before the abort, so that the cancelled download reports nothing
    if (m_download)
        m_download->abort();
    dropClient();
    if (m_server) {
        m_server->close();
        m_server->deleteLater();
        m_server = nullptr;
    }
}

void FileServer::dropClient()
{
    if (!m_client)
        return;
    m_client->disconnect(this);
    m_client->close();
    m_client->deleteLater();
    m_client = nullptr;
    m_reader.clear();
}

void FileServer::onNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        if (m_connected)
            return; // one crate per start; later ones wait until the server stops
        QTcpSocket *socket = m_server->nextPendingConnection();
        // A dual-stack server sees an IPv4 crate as "::ffff:a.b.c.d".
        bool isIpv4 = false;
        const quint32 ipv4 = socket->peerAddress().toIPv4Address(&isIpv4);
        const QHostAddress peer = isIpv4 ? QHostAddress(ipv4) : socket->peerAddress();
        if (!isCrate(peer)) {
            const QString reason =
                QStringLiteral("Refused a connection from %1: only the crate at %2 may fetch firmware")
                    .arg(peer.toString(), m_crateAddress.toString());
            emit errorOccurred(reason);
            emit peerRefused(reason);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        m_reader.clear();
        m_stage = Stage::Idle;
        connect(socket, &QTcpSocket::readyRead, this, &FileServer::onClientReadyRead);
        connect(socket, &QTcpSocket::disconnected, this, &FileServer::onClientDisconnected);
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::errorOccurred, this, &FileServer::onSocketError);
        m_connected = true;
        setStatus(QStringLiteral("Client is connected"));
        emit clientConnected();
    }
}

bool FileServer::isCrate(const QHostAddress &peer) const
{
    if (m_crateAddress.isNull())
        return false;
    if (m_crateAddress.isLoopback())
        return peer.isLoopback();
    return peer.isEqual(m_crateAddress, QHostAddress::ConvertV4MappedToIPv4);
}

void FileServer::onClientDisconnected()
{
    m_connected = false;
    if (m_stage == Stage::Downloading || m_stage == Stage::Sent)
        fail(QStringLiteral("The crate closed the connection before the update completed"));
}

void FileServer::downloadAndSendFile(const QString &url)
{
    if (!m_client || !m_connected) {
        emit errorOccurred(QStringLiteral("Client doesn't connected"));
        return;
    }
    if (m_stage != Stage::Idle) {
        emit errorOccurred(QStringLiteral("A firmware transfer is already under way"));
        return;
    }
    m_stage = Stage::Downloading;
    setStatus(QStringLiteral("Start downloading..."));
    QNetworkRequest request{QUrl(url)};
    request.setTransferTimeout(m_downloadTimeoutMs);
    m_download = m_network->get(request);
    connect(m_download, &QNetworkReply::downloadProgress, this, &FileServer::onDownloadProgress);
    connect(m_download, &QNetworkReply::finished, this, &FileServer::onDownloadFinished);
}

void FileServer::onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal)
{
    if (bytesReceived > MaxImageBytes || bytesTotal > MaxImageBytes) {
        // Stop at once: the body is held in memory and no module image is this large.
        m_download->setProperty("tooLarge", true);
        m_download->abort();
        return;
    }
    if (bytesTotal <= 0)
        return;
    setProgress(int(bytesReceived * PercentDone / bytesTotal));
    setStatus(
        QStringLiteral("Downloading: %1% (%2/%3 bytes)").arg(m_progress).arg(bytesReceived).arg(bytesTotal));
}

QString FileServer::imageProblem(const QByteArray &body, const QString &contentType)
{
    if (body.size() < MinImageBytes)
        return QStringLiteral("%1 bytes is too small for a firmware image").arg(body.size());
    const QByteArray start = body.left(MarkupProbeBytes).trimmed().toLower();
    if (contentType.contains(QLatin1String("text/html")) || start.startsWith("<!doctype") ||
        start.startsWith("<html"))
        return QStringLiteral("the server sent a web page, not a firmware image");
    return {};
}

void FileServer::onDownloadFinished()
{
    QNetworkReply *reply = m_download;
    if (!reply)
        return;
    reply->deleteLater();
    m_download = nullptr;
    if (m_stage != Stage::Downloading)
        return; // the server was stopped meanwhile
    if (reply->property("tooLarge").toBool()) {
        fail(QStringLiteral("Download error: the file is larger than %1 MB; no firmware image is")
                 .arg(MaxImageBytes / (1024 * 1024)));
        return;
    }
    if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Only the transfer time-out cancels a download that is still wanted.
        fail(QStringLiteral("Download error: no answer from the firmware server within %1 s")
                 .arg(m_downloadTimeoutMs / double(MsPerSecond)));
        return;
    }
    if (reply->error() != QNetworkReply::NoError) {
        fail(QStringLiteral("Download error: ") + reply->errorString());
        return;
    }
    const QByteArray body = reply->readAll();
    const QString problem = imageProblem(body, reply->header(QNetworkRequest::ContentTypeHeader).toString());
    if (!problem.isEmpty()) {
        fail(QStringLiteral("Download error: ") + problem);
        return;
    }
    m_image = body;
    m_imageSize = body.size();
    setStatus(QStringLiteral("Downloading done (%1 byte). Start to transfer...").arg(m_imageSize));
    sendFile();
}

void FileServer::sendFile()
{
    if (!m_client || !m_connected) {
        fail(QStringLiteral("Client doesn't connected"));
        return;
    }
    m_stage = Stage::Sent;
    if (m_client->write(fileDataMessage(m_image)) < 0) {
        fail(QStringLiteral("Error at sending data: ") + m_client->errorString());
        return;
    }
    setProgress(0); // the download's 100 % is not the crate's
    emit imageSent();
}

void FileServer::onClientReadyRead()
{
    if (!m_client)
        return;
    m_reader.append(m_client->readAll());
    while (const std::optional<CrateMessageReader::Message> message = m_reader.next()) {
        switch (message->kind) {
        case CrateMessageReader::Message::Status:
            setStatus(message->text);
            break;
        case CrateMessageReader::Message::Progress:
            setProgress(message->progress);
            break;
        case CrateMessageReader::Message::Error:
            fail(QStringLiteral("Error at client: ") + message->text,
                 QStringLiteral("ERROR: ") + message->text);
            break;
        case CrateMessageReader::Message::Completed:
            if (m_stage == Stage::Finished)
                break;
            m_stage = Stage::Finished;
            setStatus(QStringLiteral("Completed"));
            setProgress(PercentDone);
            emit fileTransferCompleted();
            break;
        case CrateMessageReader::Message::Unreadable:
            qCWarning(lcFirmware).noquote() << "crate message ignored:" << message->text;
            break;
        }
    }
}

void FileServer::onSocketError(QAbstractSocket::SocketError error)
{
    // The crate closing its end is reported by the disconnection, with what it means.
    if (error == QAbstractSocket::RemoteHostClosedError || !m_client)
        return;
    emit errorOccurred(QStringLiteral("Оsocket error: ") + m_client->errorString());
}
