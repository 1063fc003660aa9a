// libFuzzer target for the packet codec: arbitrary bytes as one frame for the decoder, as a
// received byte stream, and as a message for the encoder. Every decoded message must encode and
// decode back to itself; any broken invariant aborts so the fuzzer reports the input.
#include "cOrvexProtocolPC.h"
#include "cOrvexStreamReceiver.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kAlwaysFitsDataLength = 120; ///< bytes; fits even with every byte escaped

void require(bool condition)
{
    if (!condition)
        std::abort();
}

// Encodes the message again in a separate codec and checks that it decodes unchanged.
void checkRoundTrip(const PacketHead &head, const unsigned char *data)
{
    static cOrvexProtocolPC codec;
    unsigned char copy[cAbstractOrvexProtocol::kBufferSize];
    std::memcpy(copy, data, head.dataLength);
    require(codec.codeData(head.address, head.command, head.dataLength, copy));
    require(codec.encodeBuffer() == cAbstractOrvexProtocol::DecodeResultOk);
    const PacketHead again = codec.headPacket();
    require(again.address == head.address && again.command == head.command &&
            again.dataLength == head.dataLength);
    require(std::memcmp(codec.buffer(), copy, head.dataLength) == 0);
}

void checkDecoded(const cAbstractOrvexProtocol &codec)
{
    const PacketHead head = codec.headPacket();
    require(codec.bufferLength() == head.dataLength);
    checkRoundTrip(head, codec.buffer());
}

void decodeAsOneFrame(const uint8_t *bytes, size_t size)
{
    static cOrvexProtocolPC codec;
    codec.clearBuffer();
    // addData takes at most 255 bytes per call.
    for (size_t offset = 0; offset < size; offset += 255) {
        const size_t chunk = size - offset < 255 ? size - offset : 255;
        codec.addData(bytes + offset, static_cast<char>(chunk));
    }
    require(codec.bufferLength() >= 0 && codec.bufferLength() <= cAbstractOrvexProtocol::kBufferSize);
    const int result = codec.encodeBuffer();
    require(result >= cAbstractOrvexProtocol::DecodeResultOk &&
            result <= cAbstractOrvexProtocol::DecodeResultNoEndMarker);
    if (result == cAbstractOrvexProtocol::DecodeResultOk)
        checkDecoded(codec);
}

void receiveAsStream(const uint8_t *bytes, size_t size)
{
    static cOrvexProtocolPC codec;
    codec.clearBuffer();
    cOrvexStreamReceiver receiver(codec);
    for (size_t i = 0; i < size; ++i) {
        if (receiver.pushByte(bytes[i]))
            checkDecoded(codec);
    }
}

void encodeAsMessage(const uint8_t *bytes, size_t size)
{
    static cOrvexProtocolPC codec;
    if (size < 3)
        return;
    // The data repeats the rest of the input, so that long messages come up often.
    const unsigned char dataLength = bytes[2];
    const size_t available = size - 3;
    unsigned char data[255] = {};
    for (size_t i = 0; available > 0 && i < dataLength; ++i)
        data[i] = bytes[3 + i % available];
    if (!codec.codeData(bytes[0], bytes[1], dataLength, data)) {
        require(dataLength > kAlwaysFitsDataLength && codec.bufferLength() == 0);
        return;
    }
    require(codec.encodeBuffer() == cAbstractOrvexProtocol::DecodeResultOk);
    require(codec.headPacket().dataLength == dataLength);
    require(std::memcmp(codec.buffer(), data, dataLength) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    decodeAsOneFrame(bytes, size);
    receiveAsStream(bytes, size);
    encodeAsMessage(bytes, size);
    return 0;
}
