#pragma once

#include <QFile>
#include <QObject>
#include <QString>

/// Continuous logging of live traces: every point is appended to the file and pushed to the disk
/// as it arrives, below a self-describing header, so a crash or a power cut loses at most the
/// point being written. Lines are "channel\tx\ty\r\n", numbers with six decimals.
class TraceLogger : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString fileName READ fileName NOTIFY activeChanged)
    Q_PROPERTY(bool active READ active NOTIFY activeChanged)
    /// Why the last log ended on its own (a failed write), empty while logging and after a stop.
    Q_PROPERTY(QString failure READ failure NOTIFY activeChanged)

public:
    explicit TraceLogger(QObject *parent = nullptr);

    QString fileName() const { return m_file.fileName(); }
    bool active() const { return m_file.isOpen(); }
    QString failure() const { return m_failure; }

    /// Starts a new log in `fileName` (replacing an older file) with `header` above the points;
    /// empty on success, else the error text.
    QString start(const QString &fileName, const QByteArray &header);
    /// Appends one point; a failed write ends the log and reports it.
    void append(const QString &channel, double x, double y);
    /// Appends comment lines (a changed setting, a new run) between the points; as append().
    void note(const QByteArray &commentLines);

public slots:
    void stop();

signals:
    void activeChanged();
    void failed(const QString &error);

private:
    /// Empty when `bytes` reached the disk, else why not.
    QString writeDurably(const QByteArray &bytes);
    void writeOrEnd(const QByteArray &bytes);

    QFile m_file;
    QString m_failure;
};
