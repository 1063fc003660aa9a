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

public:
    explicit TraceLogger(QObject *parent = nullptr);

    QString fileName() const { return m_file.fileName(); }
    bool active() const { return m_file.isOpen(); }

    /// Starts a new log in `fileName` (replacing an older file) with `header` above the points;
    /// empty on success, else the error text.
    QString start(const QString &fileName, const QByteArray &header);
    /// Appends one point; a failed write ends the log and reports it.
    void append(const QString &channel, double x, double y);

public slots:
    void stop();

signals:
    void activeChanged();
    void failed(const QString &error);

private:
    bool writeDurably(const QByteArray &bytes);

    QFile m_file;
};
