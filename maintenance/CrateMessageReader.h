#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Reads the crate's messages to the firmware file server from the bytes of its connection:
/// each a data-stream QString tag, then the tag's payload (a QString for "STATUS" and "ERROR",
/// a 32-bit integer for "PROGRESS", nothing for "COMPLETED"). TCP may split a message or join
/// several: a partial record is kept until it is whole.
///
/// A record that cannot be read (a string longer than `MaxStringBytes`, of odd length, or a tag
/// this reader does not know, whose payload length is unknown) ends the stream's sense: the
/// bytes held are dropped and `next()` reports it once.
class CrateMessageReader
{
public:
    static constexpr quint32 MaxStringBytes = 64 * 1024; ///< longest tag or text accepted, bytes

    struct Message
    {
        enum Kind
        {
            Status,
            Progress,
            Error,
            Completed,
            Unreadable ///< `text` says what was wrong; the bytes held were dropped
        };
        Kind kind;
        QString text;
        qint32 progress = 0;
    };

    void append(const QByteArray &bytes) { m_buffer.append(bytes); }
    /// The next whole message, or nothing while more bytes are needed.
    std::optional<Message> next();
    void clear() { m_buffer.clear(); }

private:
    enum class Read
    {
        Done,
        NeedMore,
        Bad
    };
    Read readString(qsizetype &position, QString *text, QString *problem) const;
    std::optional<Message> unreadable(const QString &problem);

    QByteArray m_buffer;
};
