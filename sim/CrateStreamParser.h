#pragma once

#include <QByteArray>
#include <optional>

/// Splits what a client sends on the crate connection into text command lines and binary
/// module messages. A line starts with "SYST", or with two letters (no module command code is
/// a letter), and ends with "\n" (a "\r" before it is dropped); anything else is a module
/// message: address, command, data length, data. Bytes may arrive in
/// any pieces; an incomplete item waits for the rest.
///
/// An empty line right after a command line is dropped (some commands are sent with a doubled
/// "\r\n"). A line longer than MaxLineLength without its end marks the stream as garbage.
class CrateStreamParser
{
public:
    static constexpr int MaxLineLength = 1024; ///< bytes

    struct Item
    {
        enum Kind
        {
            TextLine,
            ModuleMessage
        } kind = TextLine;
        QByteArray text; ///< the line without its line end
        quint8 address = 0;
        quint8 command = 0;
        QByteArray data;
    };

    void append(const QByteArray &bytes) { m_buffer += bytes; }
    /// The next complete item, or nothing until more bytes arrive.
    std::optional<Item> next();
    /// True once the stream held a line too long to be a command: the client is not a program
    /// that talks to crates, and the connection should be closed.
    bool isGarbage() const { return m_garbage; }

private:
    std::optional<Item> nextLine();
    std::optional<Item> nextMessage();
    bool startsLikeText() const;
    void dropEmptyLineAfterText();

    QByteArray m_buffer;
    bool m_lastWasText = false;
    bool m_garbage = false;
};
