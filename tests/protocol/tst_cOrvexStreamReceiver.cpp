#include "cOrvexProtocolPC.h"
#include "cOrvexStreamReceiver.h"

#include <QList>
#include <QRandomGenerator>
#include <QTest>

// A received message as the link would pass it on.
struct ReceivedMessage
{
    quint8 address;
    quint8 command;
    QByteArray data;
    bool operator==(const ReceivedMessage &other) const
    {
        return address == other.address && command == other.command && data == other.data;
    }
};
Q_DECLARE_METATYPE(ReceivedMessage)

namespace QTest {
template <> char *toString(const ReceivedMessage &message)
{
    return qstrdup(QByteArray::number(message.address) + "/" + QByteArray::number(message.command) + ": " +
                   message.data.toHex(' '));
}
} // namespace QTest

class tst_cOrvexStreamReceiver : public QObject
{
    Q_OBJECT

private:
    static QList<ReceivedMessage> receive(cOrvexStreamReceiver &receiver, const cOrvexProtocolPC &codec,
                                          const QByteArray &stream)
    {
        QList<ReceivedMessage> messages;
        for (char byte : stream) {
            if (receiver.pushByte(static_cast<unsigned char>(byte))) {
                const PacketHead head = codec.headPacket();
                messages.append(
                    {head.address, head.command,
                     QByteArray(reinterpret_cast<const char *>(codec.buffer()), head.dataLength)});
            }
        }
        return messages;
    }

    // Worked examples of the frame format, written by hand.
    static QByteArray frameA() { return QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FA"); }
    static QByteArray frameB() { return QByteArray::fromHex("F9 05 10 02 FB FD 01 3B C7 AB 85 FA"); }
    static ReceivedMessage messageA() { return {0x01, 0x02, QByteArray()}; }
    static ReceivedMessage messageB() { return {0x05, 0x10, QByteArray::fromHex("FA 01")}; }

private slots:
    void streams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QList<ReceivedMessage>>("expected");
        const QByteArray damagedB = QByteArray::fromHex("F9 05 10 02 FB FD 03 3B C7 AB 85 FA");
        QTest::newRow("one frame") << frameA() << QList<ReceivedMessage>{messageA()};
        QTest::newRow("two frames back to back")
            << frameA() + frameB() << QList<ReceivedMessage>{messageA(), messageB()};
        QTest::newRow("garbage before the start marker")
            << QByteArray::fromHex("00 13 FB FE 77 FA 42") + frameB() << QList<ReceivedMessage>{messageB()};
        QTest::newRow("start marker inside a cut-off frame")
            << frameB().left(6) + frameA() << QList<ReceivedMessage>{messageA()};
        QTest::newRow("damaged frame is dropped, next one kept")
            << damagedB + frameA() << QList<ReceivedMessage>{messageA()};
        QTest::newRow("overlong frame is dropped, next one kept")
            << QByteArray::fromHex("F9") + QByteArray(400, '\x20') + QByteArray::fromHex("FA") + frameB()
            << QList<ReceivedMessage>{messageB()};
        // The data of a decoded frame is itself a valid frame; bytes up to a later end marker
        // must not turn it into a second message.
        QTest::newRow("trailing bytes are not decoded with the last data")
            << QByteArray::fromHex("F9 07 08 09 FB FC 01 02 00 3C A1 C8 9C FB FD 91 24 84 F2 FA 00 FA")
            << QList<ReceivedMessage>{{0x07, 0x08, frameA()}};
    }
    void streams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QList<ReceivedMessage>, expected);
        cOrvexProtocolPC codec;
        cOrvexStreamReceiver receiver(codec);
        QCOMPARE(receive(receiver, codec, stream), expected);
    }

    void randomMessagesThroughNoise()
    {
        constexpr int kSeeds = 200;
        constexpr int kMessagesPerSeed = 20;
        constexpr int kLongestData = 120; // always fits, even with every byte escaped
        constexpr int kLongestNoise = 40;
        cOrvexProtocolPC sender;
        cOrvexProtocolPC codec;
        for (quint32 seed = 1; seed <= kSeeds; ++seed) {
            QRandomGenerator random(seed);
            QByteArray stream;
            QList<ReceivedMessage> sent;
            for (int i = 0; i < kMessagesPerSeed; ++i) {
                // Noise may hold markers too; the next start marker must resynchronise.
                for (int n = random.bounded(kLongestNoise + 1); n > 0; --n)
                    stream.append(char(random.bounded(256)));
                ReceivedMessage message{quint8(random.bounded(256)), quint8(random.bounded(256)),
                                        QByteArray(random.bounded(kLongestData + 1), '\0')};
                for (char &byte : message.data)
                    byte = char(random.bounded(256));
                QVERIFY(sender.codeData(message.address, message.command, quint8(message.data.size()),
                                        reinterpret_cast<const unsigned char *>(message.data.constData())));
                stream.append(reinterpret_cast<const char *>(sender.buffer()), sender.bufferLength());
                sent.append(message);
            }
            cOrvexStreamReceiver receiver(codec);
            QCOMPARE(receive(receiver, codec, stream), sent);
        }
    }
};

QTEST_GUILESS_MAIN(tst_cOrvexStreamReceiver)
#include "tst_cOrvexStreamReceiver.moc"
