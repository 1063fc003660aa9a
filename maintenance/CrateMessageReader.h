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
/// this reader does not know, whose payload length is unknown) is reported once by `next()`;
/// the reader then skips bytes until the next known tag, so a "COMPLETED" after it still
/// counts, however the bytes were split.
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
    void clear()
    {
        m_buffer.clear();
        m_skipping = false;
    }

private:
    enum class Read
    {
        Done,
        NeedMore,
        Bad
    };
    Read readString(qsizetype &position, QString *text, QString *problem) const;
    std::optional<Message> unreadable(qsizetype position, const QString &problem);
    /// Drops bytes up to the next known tag; false while none is in sight yet.
    bool skipToKnownTag();

    QByteArray m_buffer;
    bool m_skipping = false; ///< after an unreadable record, until a known tag shows up
};
