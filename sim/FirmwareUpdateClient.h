#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

class ConsoleLog;

/// The crate's side of a module firmware update: told "SYST:UPDT n", the crate connects back to
/// the program's file server, reads the "FILE_DATA" message (data-stream: QString tag, 64-bit
/// size, byte array), checks that the size is not 0 and matches the data, then reports
/// "STATUS" texts and "PROGRESS" steps while it "writes the flash", and ends with "COMPLETED".
///
/// The new firmware version comes from the image's header: an image that starts with the line
/// "VT4-FIRMWARE <version>\n" makes the module report <version> from then on; an image without
/// it is written but leaves the version as it was (a real crate cannot tell either).
///
/// Fault switches reach the program's error paths: never connect, drop the connection in the
/// middle of the transfer, answer "ERROR" with a text, or stall after the first report.
/// Deletes itself when the update has ended.
class FirmwareUpdateClient : public QObject
{
    Q_OBJECT
public:
    enum class Fault
    {
        None,
        NoConnect, ///< never connects back
        Drop,      ///< closes the connection after the first progress report
        Error,     ///< answers "ERROR" with `errorText` after the first progress report
        Stall      ///< falls silent after the first progress report
    };

    struct Settings
    {
        quint16 port = 9879; ///< the program's file server
        int stepMs = 250;    ///< time between progress reports (real time)
        Fault fault = Fault::None;
        QString errorText = QStringLiteral("Flash write failed");
    };

    static constexpr qint64 MaxImageBytes = 64 * 1024 * 1024; ///< a larger announced size is refused
    static constexpr int ProgressSteps = 10;

    /// Gives the module its new firmware version once the update has completed.
    using VersionSetter = std::function<void(const QString &version)>;

    /// Starts the update of `moduleAddress` from the server at `pc`; `log` must outlive it.
    static void start(const QHostAddress &pc, int moduleAddress, const Settings &settings,
                      const ConsoleLog &log, VersionSetter setVersion);

    /// The version in the header of `image`, or an empty text.
    static QString headerVersion(const QByteArray &image);

private:
    FirmwareUpdateClient(int moduleAddress, const Settings &settings, const ConsoleLog &log,
                         VersionSetter setVersion);
    void readImage();
    void step();
    void sendStatus(const QString &text);
    void send(const QByteArray &message);
    void end(const QString &event);

    int m_moduleAddress;
    Settings m_settings;
    const ConsoleLog &m_log;
    VersionSetter m_setVersion;
    QTcpSocket m_socket;
    QTimer m_steps;
    QByteArray m_received;
    QString m_version;
    int m_step = 0;
    bool m_imageRead = false;
};
