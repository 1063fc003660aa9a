// Throughput of the packet codec: CRC over 1 MiB against zlib's crc32 over the same bytes, and
// encode + decode of 20-byte messages against a plain copy of the same message bytes.
#include "cOrvexProtocolPC.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

namespace {

constexpr int kCrcBufferSize = 1 << 20; ///< bytes (1 MiB)
constexpr int kCrcChunk = 252;          ///< bytes per call: whole words, so the calls continue exactly
constexpr int kCrcPasses = 20;          ///< passes over the buffer per trial
constexpr int kPayloadSize = 20;        ///< bytes of message data
constexpr int kMessages = 200000;       ///< messages per trial
constexpr int kTrials = 5;              ///< the fastest trial counts

volatile quint32 g_sink; ///< keeps the compiler from dropping the measured work

/// Seconds of the fastest of kTrials runs of `work`.
double fastestSeconds(const std::function<void()> &work)
{
    double best = 1e30;
    for (int trial = 0; trial < kTrials; ++trial) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() * 1e-9);
    }
    return best;
}

double megabytesPerSecond(double bytes, double seconds)
{
    return bytes / 1e6 / seconds;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    std::vector<unsigned char> bytes(kCrcBufferSize);
    QRandomGenerator random(1);
    for (unsigned char &byte : bytes)
        byte = static_cast<unsigned char>(random.bounded(256));

    cOrvexProtocolPC codec;
    const double codecCrcSeconds = fastestSeconds([&] {
        for (int pass = 0; pass < kCrcPasses; ++pass) {
            codec.crc32stm32(bytes.data(), kCrcChunk, true);
            for (int offset = kCrcChunk; offset < kCrcBufferSize; offset += kCrcChunk) {
                const int length = std::min(kCrcChunk, kCrcBufferSize - offset);
                g_sink = codec.crc32stm32(bytes.data() + offset, static_cast<unsigned char>(length), false);
            }
        }
    });
    const double zlibCrcSeconds = fastestSeconds([&] {
        for (int pass = 0; pass < kCrcPasses; ++pass)
            g_sink = static_cast<quint32>(crc32(0L, bytes.data(), kCrcBufferSize));
    });
    const double crcBytes = double(kCrcBufferSize) * kCrcPasses;
    const double codecCrcRate = megabytesPerSecond(crcBytes, codecCrcSeconds);
    const double zlibCrcRate = megabytesPerSecond(crcBytes, zlibCrcSeconds);
    out << "CRC over 1 MiB: codec " << codecCrcRate << " MB/s, zlib crc32 " << zlibCrcRate
        << " MB/s, codec/zlib " << codecCrcRate / zlibCrcRate << "\n";

    unsigned char payload[kPayloadSize];
    for (unsigned char &byte : payload)
        byte = static_cast<unsigned char>(random.bounded(256));
    const double codecSeconds = fastestSeconds([&] {
        for (int i = 0; i < kMessages; ++i) {
            payload[0] = static_cast<unsigned char>(i);
            codec.codeData(0x05, 0x10, kPayloadSize, payload);
            g_sink = codec.encodeBuffer();
        }
    });
    // Baseline: the message bytes copied into a frame buffer and back out, no framing at all.
    unsigned char frame[cAbstractOrvexProtocol::kBufferSize];
    unsigned char copyBack[kPayloadSize];
    const double copySeconds = fastestSeconds([&] {
        for (int i = 0; i < kMessages; ++i) {
            payload[0] = static_cast<unsigned char>(i);
            frame[0] = 0x05;
            frame[1] = 0x10;
            frame[2] = kPayloadSize;
            std::memcpy(frame + 3, payload, kPayloadSize);
            std::memcpy(copyBack, frame + 3, kPayloadSize);
            g_sink = copyBack[i % kPayloadSize];
        }
    });
    const double codecRate = kMessages / codecSeconds;
    const double copyRate = kMessages / copySeconds;
    out << "encode+decode of " << kPayloadSize << "-byte messages: codec " << codecRate
        << " messages/s, plain copy " << copyRate << " messages/s, codec/copy " << codecRate / copyRate
        << "\n";
    return 0;
}
