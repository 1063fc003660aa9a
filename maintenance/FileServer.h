#pragma once

#include "CrateMessageReader.h"

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QTcpServer;
class QTcpSocket;

/// The small TCP server the crate fetches a module's firmware from. The crate, told to update
/// a module, connects back; the server downloads the chosen image over HTTP(S), sends it to the
/// crate in one "FILE_DATA" message and relays the crate's "STATUS", "PROGRESS", "ERROR" and
/// "COMPLETED" messages. GUI thread; nothing blocks.
///
/// Only the crate the program is connected to is served (`setCrateAddress`); any other peer is
/// closed at once and reported by `peerRefused`. A crate on a loopback address may connect back
/// from any loopback address: the system picks the source address of a loopback connection.
/// Every failure that ends the update is reported by `transferFailed` besides its
/// `errorOccurred` text, so that whoever runs the update can unlock the crate.
class FileServer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int progress READ progress NOTIFY progressChanged)
    Q_PROPERTY(QString status READ status NOTIFY statusChanged)
public:
    static constexpr quint16 DefaultPort = 9879;
    static constexpr int FileDataStreamVersion = 22;          ///< data-stream version of "FILE_DATA"
    static constexpr qint64 MinImageBytes = 1024;             ///< a smaller body is no firmware image
    static constexpr qint64 MaxImageBytes = 16 * 1024 * 1024; ///< a larger one is refused while it loads
    static constexpr int DownloadTimeoutMs = 30000; ///< without a byte for this long, the download fails
    static constexpr int PercentDone = 100;

    explicit FileServer(QObject *parent = nullptr);
    ~FileServer() override;

    int progress() const { return m_progress; }
    QString status() const { return m_status; }
    bool isListening() const;

    /// The crate allowed to connect; connections from anywhere else are closed.
    void setCrateAddress(const QHostAddress &address) { m_crateAddress = address; }
    /// For tests: how long the image server may stay silent before the download fails.
    void setDownloadTimeout(int ms) { m_downloadTimeoutMs = ms; }

    /// The "FILE_DATA" message carrying `image`, as it goes on the wire.
    static QByteArray fileDataMessage(const QByteArray &image);

    Q_INVOKABLE void startServer(quint16 port);
    Q_INVOKABLE void stopServer();
    /// Downloads the image at `url` and sends it to the connected crate; refused while a
    /// transfer is under way.
    Q_INVOKABLE void downloadAndSendFile(const QString &url);

signals:
    void progressChanged(int progress);
    void statusChanged(const QString &status);
    void fileTransferCompleted();
    void errorOccurred(const QString &error);
    void clientConnected();
    /// The update cannot complete any more (crate error, failed download, lost connection).
    void transferFailed(const QString &reason);
    /// The image went to the crate; from now on `progress` is the crate's own, from 0.
    void imageSent();
    /// A peer that is not the crate connected and was closed; `reason` names both addresses.
    void peerRefused(const QString &reason);

private slots:
    void onNewConnection();
    void onClientReadyRead();
    void onDownloadProgress(qint64 bytesReceived, qint64 bytesTotal);
    void onDownloadFinished();
    void onSocketError(QAbstractSocket::SocketError error);

private:
    void setStatus(const QString &status);
    void setProgress(int progress);
    /// Reports `error`, shows `status` (the error itself when empty), and ends the transfer.
    void fail(const QString &error, const QString &status = {});
    void onClientDisconnected();
    /// Why `body` is no firmware image, or an empty text when it may be one.
    static QString imageProblem(const QByteArray &body, const QString &contentType);
    void sendFile();
    void dropClient();
    bool isCrate(const QHostAddress &peer) const;

    enum class Stage
    {
        Idle,        ///< no client, or one that has not asked for anything yet
        Downloading, ///< the image is being fetched
        Sent,        ///< the image went to the crate; its messages follow
        Finished     ///< completed or failed; nothing more is expected
    };

    QTcpServer *m_server = nullptr;
    QPointer<QTcpSocket> m_client; ///< deletes itself when the crate disconnects
    bool m_connected = false;
    QNetworkAccessManager *m_network;
    QPointer<QNetworkReply> m_download;
    QHostAddress m_crateAddress;
    CrateMessageReader m_reader;
    Stage m_stage = Stage::Idle;
    int m_progress = 0;
    QString m_status;
    QByteArray m_image;
    qint64 m_imageSize = 0;
    int m_downloadTimeoutMs = DownloadTimeoutMs;
};
