// libFuzzer target for the serial link's frame assembly: arbitrary bytes fed in one piece and
// in pieces cut by the input itself must give the same messages, and every message must encode
// and decode back to itself. Any broken invariant aborts so the fuzzer reports the input.
#include "vtFrameAssembler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

bool sameMessages(const QList<vtFrameAssembler::Message> &a, const QList<vtFrameAssembler::Message> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].address != b[i].address || a[i].command != b[i].command || a[i].data != b[i].data)
            return false;
    }
    return true;
}

void checkRoundTrip(const vtFrameAssembler::Message &message)
{
    require(message.data.size() <= 255);
    static cOrvexProtocolPC codec;
    require(codec.codeData(message.address, message.command, static_cast<unsigned char>(message.data.size()),
                           reinterpret_cast<const unsigned char *>(message.data.constData())));
    vtFrameAssembler again;
    const auto decoded =
        again.feed(QByteArray(reinterpret_cast<const char *>(codec.buffer()), codec.bufferLength()));
    require(decoded.size() == 1 && sameMessages(decoded, {message}));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArray stream(reinterpret_cast<const char *>(bytes + 1), static_cast<qsizetype>(size - 1));
    vtFrameAssembler whole;
    const QList<vtFrameAssembler::Message> expected = whole.feed(stream);

    // The first byte sets the piece length (1 to 16 bytes), as reads of a serial port vary.
    const qsizetype piece = bytes[0] % 16 + 1;
    vtFrameAssembler pieces;
    QList<vtFrameAssembler::Message> got;
    for (qsizetype at = 0; at < stream.size(); at += piece)
        got += pieces.feed(stream.mid(at, piece));
    require(sameMessages(expected, got));
    for (const auto &message : expected)
        checkRoundTrip(message);
    return 0;
}
