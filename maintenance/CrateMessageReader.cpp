#include "CrateMessageReader.h"

#include <QDataStream>
#include <QIODevice>
#include <QList>
#include <QtEndian>

namespace {
constexpr quint32 NullStringLength = 0xFFFFFFFFu;
constexpr qsizetype LengthBytes = 4;
constexpr qsizetype ProgressBytes = 4;

/// The tags as they start a record on the wire.
const QList<QByteArray> &knownTagRecords()
{
    static const QList<QByteArray> records = [] {
        QList<QByteArray> encoded;
        for (const char *tag : {"STATUS", "PROGRESS", "ERROR", "COMPLETED"}) {
            QByteArray bytes;
            QDataStream stream(&bytes, QIODevice::WriteOnly);
            stream << QString::fromLatin1(tag);
            encoded << bytes;
        }
        return encoded;
    }();
    return records;
}
} // namespace

CrateMessageReader::Read CrateMessageReader::readString(qsizetype &position, QString *text,
                                                        QString *problem) const
{
    if (m_buffer.size() - position < LengthBytes)
        return Read::NeedMore;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + position);
    if (length == NullStringLength) {
        *text = QString();
        position += LengthBytes;
        return Read::Done;
    }
    if (length > MaxStringBytes || length % 2 != 0) {
        *problem = QStringLiteral("a text of %1 bytes").arg(length);
        return Read::Bad;
    }
    if (m_buffer.size() - position - LengthBytes < qsizetype(length))
        return Read::NeedMore;
    const auto *units = reinterpret_cast<const uchar *>(m_buffer.constData() + position + LengthBytes);
    QString result(qsizetype(length / 2), Qt::Uninitialized);
    for (qsizetype i = 0; i < result.size(); ++i)
        result[i] = QChar(qFromBigEndian<quint16>(units + 2 * i));
    *text = result;
    position += LengthBytes + length;
    return Read::Done;
}

std::optional<CrateMessageReader::Message> CrateMessageReader::unreadable(qsizetype position,
                                                                          const QString &problem)
{
    m_buffer.remove(0, position);
    m_skipping = true;
    return Message{Message::Unreadable, problem};
}

bool CrateMessageReader::skipToKnownTag()
{
    qsizetype earliest = -1;
    for (const QByteArray &record : knownTagRecords()) {
        const qsizetype at = m_buffer.indexOf(record);
        if (at >= 0 && (earliest < 0 || at < earliest))
            earliest = at;
    }
    if (earliest >= 0) {
        m_buffer.remove(0, earliest);
        m_skipping = false;
        return true;
    }
    // Keep only a tail that may yet grow into a tag record.
    qsizetype longest = 0;
    for (const QByteArray &record : knownTagRecords())
        longest = qMax(longest, record.size());
    if (m_buffer.size() >= longest)
        m_buffer.remove(0, m_buffer.size() - longest + 1);
    return false;
}

std::optional<CrateMessageReader::Message> CrateMessageReader::next()
{
    if (m_skipping && !skipToKnownTag())
        return std::nullopt;
    qsizetype position = 0;
    QString tag;
    QString problem;
    Read read = readString(position, &tag, &problem);
    if (read == Read::NeedMore)
        return std::nullopt;
    if (read == Read::Bad)
        return unreadable(LengthBytes, problem);

    Message message{Message::Completed, {}};
    if (tag == QLatin1String("STATUS") || tag == QLatin1String("ERROR")) {
        message.kind = tag == QLatin1String("STATUS") ? Message::Status : Message::Error;
        read = readString(position, &message.text, &problem);
        if (read == Read::NeedMore)
            return std::nullopt;
        if (read == Read::Bad)
            return unreadable(position + LengthBytes, problem);
    } else if (tag == QLatin1String("PROGRESS")) {
        if (m_buffer.size() - position < ProgressBytes)
            return std::nullopt;
        message.kind = Message::Progress;
        message.progress = qFromBigEndian<qint32>(m_buffer.constData() + position);
        position += ProgressBytes;
    } else if (tag != QLatin1String("COMPLETED")) {
        return unreadable(position, QStringLiteral("a message tagged \"%1\"").arg(tag.left(64)));
    }
    m_buffer.remove(0, position);
    return message;
}
