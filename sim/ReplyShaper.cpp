#include "ReplyShaper.h"

namespace {
constexpr quint8 GarbledCodeFlip = 0x80; ///< turns a code into one no request used
}

ReplyShaper::ReplyShaper(const Settings &settings, QObject *parent) : QObject(parent), m_settings(settings)
{
    m_clock.start();
    m_pumpTimer.setSingleShot(true);
    m_gapTimer.setSingleShot(true);
    connect(&m_pumpTimer, &QTimer::timeout, this, &ReplyShaper::pump);
    connect(&m_gapTimer, &QTimer::timeout, this, &ReplyShaper::writeNextSegment);
}

QByteArray ReplyShaper::encode(quint8 address, quint8 command, const QByteArray &data)
{
    const QByteArray payload = data.left(MaxDataLength);
    QByteArray bytes;
    bytes.reserve(3 + payload.size());
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(command));
    bytes.append(static_cast<char>(payload.size()));
    bytes.append(payload);
    return bytes;
}

void ReplyShaper::sendModuleReply(quint8 address, quint8 command, const QByteArray &data)
{
    if (!m_settings.garbledAddresses.contains(address)) {
        enqueue(encode(address, command, data), m_settings.delayMs);
        return;
    }
    // A value one byte short (wrong length for its getter), or an acknowledgement with a wrong code.
    QByteArray garbled = data;
    if (!garbled.isEmpty())
        garbled.chop(1);
    else
        command ^= GarbledCodeFlip;
    enqueue(encode(address, command, garbled), m_settings.delayMs);
}

void ReplyShaper::sendText(const QByteArray &text)
{
    enqueue(text, 0);
}

void ReplyShaper::enqueue(const QByteArray &bytes, int delayMs)
{
    m_pending.append({m_clock.elapsed() + delayMs, bytes});
    pump();
}

void ReplyShaper::pump()
{
    const qint64 now = m_clock.elapsed();
    qsizetype ready = 0;
    while (ready < m_pending.size() && m_pending.at(ready).dueMs <= now)
        ++ready;

    if (ready > 0 && m_settings.coalesce) {
        const qint64 holdUntil = m_pending.first().dueMs + CoalesceHoldMs;
        if (ready < CoalesceCount && now < holdUntil) {
            const qint64 nextDue = ready < m_pending.size() ? m_pending.at(ready).dueMs : holdUntil;
            m_pumpTimer.start(static_cast<int>(std::min(holdUntil, nextDue) - now));
            return;
        }
        QByteArray together;
        for (qsizetype i = 0; i < ready; ++i)
            together += m_pending.at(i).bytes;
        m_pending.remove(0, ready);
        output(together);
    } else {
        for (qsizetype i = 0; i < ready; ++i)
            output(m_pending.at(i).bytes);
        m_pending.remove(0, ready);
    }
    if (!m_pending.isEmpty())
        m_pumpTimer.start(static_cast<int>(std::max<qint64>(0, m_pending.first().dueMs - now)));
}

void ReplyShaper::output(const QByteArray &bytes)
{
    if (m_settings.splitBytes <= 0) {
        emit segmentReady(bytes);
        return;
    }
    for (qsizetype offset = 0; offset < bytes.size(); offset += m_settings.splitBytes)
        m_segments.append(bytes.mid(offset, m_settings.splitBytes));
    if (!m_gapTimer.isActive())
        writeNextSegment();
}

void ReplyShaper::writeNextSegment()
{
    if (m_segments.isEmpty())
        return;
    emit segmentReady(m_segments.takeFirst());
    if (!m_segments.isEmpty())
        m_gapTimer.start(SplitGapMs);
}
