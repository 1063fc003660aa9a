#include "CrateStreamParser.h"

namespace {
const QByteArray TextMarker = QByteArrayLiteral("SYST");
constexpr int MessageHeaderSize = 3; ///< address, command, dataLength

bool isAsciiLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
} // namespace

bool CrateStreamParser::startsLikeText() const
{
    // While fewer than four bytes are there, a prefix of the marker may still become a line.
    const qsizetype length = std::min(m_buffer.size(), TextMarker.size());
    if (m_buffer.left(length) == TextMarker.left(length))
        return true;
    // No module command code is a letter, so a message cannot start with two of them: such
    // bytes are a text line the crate does not know, to be answered and skipped to its end.
    return m_buffer.size() >= 2 && isAsciiLetter(m_buffer.at(0)) && isAsciiLetter(m_buffer.at(1));
}

void CrateStreamParser::dropEmptyLineAfterText()
{
    if (!m_lastWasText || m_buffer.isEmpty() || m_buffer == "\r")
        return; // a lone "\r" waits for its "\n"
    if (m_buffer.startsWith("\r\n"))
        m_buffer.remove(0, 2);
    else if (m_buffer.startsWith('\n'))
        m_buffer.remove(0, 1);
    m_lastWasText = false;
}

std::optional<CrateStreamParser::Item> CrateStreamParser::next()
{
    if (m_garbage)
        return std::nullopt;
    dropEmptyLineAfterText();
    if (m_buffer.isEmpty() || (m_lastWasText && m_buffer == "\r"))
        return std::nullopt;
    return startsLikeText() ? nextLine() : nextMessage();
}

std::optional<CrateStreamParser::Item> CrateStreamParser::nextLine()
{
    const qsizetype end = m_buffer.indexOf('\n');
    if (end < 0) {
        m_garbage = m_buffer.size() > MaxLineLength;
        return std::nullopt;
    }
    Item item;
    item.kind = Item::TextLine;
    item.text = m_buffer.left(end);
    if (item.text.endsWith('\r'))
        item.text.chop(1);
    m_buffer.remove(0, end + 1);
    m_lastWasText = true;
    return item;
}

std::optional<CrateStreamParser::Item> CrateStreamParser::nextMessage()
{
    if (m_buffer.size() < MessageHeaderSize)
        return std::nullopt;
    const int dataLength = static_cast<quint8>(m_buffer.at(2));
    if (m_buffer.size() < MessageHeaderSize + dataLength)
        return std::nullopt;
    Item item;
    item.kind = Item::ModuleMessage;
    item.address = static_cast<quint8>(m_buffer.at(0));
    item.command = static_cast<quint8>(m_buffer.at(1));
    item.data = m_buffer.mid(MessageHeaderSize, dataLength);
    m_buffer.remove(0, MessageHeaderSize + dataLength);
    m_lastWasText = false;
    return item;
}
