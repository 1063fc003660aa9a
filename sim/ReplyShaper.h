#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

/// Turns a connection's replies into the bytes written to its socket, in order, applying the
/// fault switches a test may ask for: a delay on every module reply, replies split into small
/// segments written with a gap, several replies held and written as one segment, and wrong
/// lengths or codes in the replies of chosen modules.
class ReplyShaper : public QObject
{
    Q_OBJECT
public:
    struct Settings
    {
        int delayMs = 0;    ///< every module reply held this long, ms
        int splitBytes = 0; ///< 0: each write whole; otherwise segments of this many bytes
        bool coalesce = false;
        QSet<int> garbledAddresses;
    };

    static constexpr int SplitGapMs = 2;      ///< pause between the segments of a split reply, ms
    static constexpr int CoalesceCount = 2;   ///< held replies are written once this many are ready
    static constexpr int CoalesceHoldMs = 20; ///< ... or once the oldest has waited this long, ms
    static constexpr int MaxDataLength = 255; ///< the length byte's range

    explicit ReplyShaper(const Settings &settings, QObject *parent = nullptr);

    /// Queues a module's reply: address, command, data length, data.
    void sendModuleReply(quint8 address, quint8 command, const QByteArray &data);
    /// Queues a text reply as it is (the caller adds the line end).
    void sendText(const QByteArray &text);

    /// The wire form of a module message. Data beyond 255 bytes cannot be announced by the
    /// length byte and is cut, so the stream stays aligned.
    static QByteArray encode(quint8 address, quint8 command, const QByteArray &data);

signals:
    /// Bytes to write to the socket now, and flush.
    void segmentReady(const QByteArray &segment);

private:
    struct Pending
    {
        qint64 dueMs; ///< on m_clock
        QByteArray bytes;
    };

    void enqueue(const QByteArray &bytes, int delayMs);
    void pump();
    void output(const QByteArray &bytes);
    void writeNextSegment();

    Settings m_settings;
    QList<Pending> m_pending;     ///< in reply order; a later reply never overtakes an earlier one
    QList<QByteArray> m_segments; ///< split output waiting for its gap
    QTimer m_pumpTimer;
    QTimer m_gapTimer;
    QElapsedTimer m_clock;
};
