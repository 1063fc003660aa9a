#include "cOrvexProtocolPC.h"

#include <QRandomGenerator>
#include <QTest>

// Expected frames are written by hand from the frame layout; their CRCs come from a bitwise
// reference kept apart from the library.
class tst_cAbstractOrvexProtocol : public QObject
{
    Q_OBJECT

private:
    static QByteArray contents(const cOrvexProtocolPC &codec)
    {
        return QByteArray(reinterpret_cast<const char *>(codec.buffer()), codec.bufferLength());
    }
    static const unsigned char *bytes(const QByteArray &array)
    {
        return reinterpret_cast<const unsigned char *>(array.constData());
    }
    static void load(cOrvexProtocolPC &codec, const QByteArray &frame)
    {
        codec.clearBuffer();
        for (char byte : frame)
            codec.addByteToBuffer(static_cast<unsigned char>(byte));
    }
    static bool encode(cOrvexProtocolPC &codec, quint8 address, quint8 command, const QByteArray &data)
    {
        return codec.codeData(address, command, static_cast<unsigned char>(data.size()), bytes(data));
    }
    static QByteArray frame200()
    {
        QByteArray data;
        for (int i = 0; i < 200; ++i)
            data.append(char(i));
        return QByteArray::fromHex("F9 07 21 C8") + data + QByteArray::fromHex("C5 56 2E 67 FA");
    }

private slots:
    void frames_data()
    {
        QTest::addColumn<quint8>("address");
        QTest::addColumn<quint8>("command");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("no data") << quint8(0x01) << quint8(0x02) << QByteArray()
                                 << QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FA");
        QTest::newRow("end marker in data") << quint8(0x05) << quint8(0x10) << QByteArray::fromHex("FA 01")
                                            << QByteArray::fromHex("F9 05 10 02 FB FD 01 3B C7 AB 85 FA");
        QTest::newRow("address F9") << quint8(0xF9) << quint8(0x01) << QByteArray()
                                    << QByteArray::fromHex("F9 FB FC 01 00 5E EE 93 41 FA");
        QTest::newRow("address FA") << quint8(0xFA) << quint8(0x01) << QByteArray()
                                    << QByteArray::fromHex("F9 FB FD 01 00 87 C8 D0 4C FA");
        QTest::newRow("address FB") << quint8(0xFB) << quint8(0x01) << QByteArray()
                                    << QByteArray::fromHex("F9 FB FE 01 00 30 D5 11 48 FA");
        QTest::newRow("command F9") << quint8(0x01) << quint8(0xF9) << QByteArray()
                                    << QByteArray::fromHex("F9 01 FB FC 00 5C A4 53 97 FA");
        QTest::newRow("command FA, CRC byte FB") << quint8(0x01) << quint8(0xFA) << QByteArray()
                                                 << QByteArray::fromHex("F9 01 FB FD 00 8F FB FE B8 E5 FA");
        QTest::newRow("command FB") << quint8(0x01) << quint8(0xFB) << QByteArray()
                                    << QByteArray::fromHex("F9 01 FB FE 00 53 3A A1 37 FA");
        QTest::newRow("data F9 FA FB") << quint8(0x02) << quint8(0x03) << QByteArray::fromHex("F9 FA FB")
                                       << QByteArray::fromHex("F9 02 03 03 FB FC FB FD FB FE D7 0F AC EF FA");
        // Each marker value in each CRC byte position.
        const struct
        {
            const char *name;
            quint8 address;
            quint8 command;
            const char *frame;
        } crcRows[] = {
            {"CRC byte 0 F9", 0x00, 0xC4, "F9 00 C4 00 FB FC B7 15 BE FA"},
            {"CRC byte 0 FA", 0x00, 0xB3, "F9 00 B3 00 FB FD 08 6E F8 FA"},
            {"CRC byte 0 FB", 0x00, 0x9E, "F9 00 9E 00 FB FE 9D B8 C5 FA"},
            {"CRC byte 1 F9", 0x02, 0x05, "F9 02 05 00 9F FB FC 44 A6 FA"},
            {"CRC byte 1 FA", 0x00, 0x18, "F9 00 18 00 C5 FB FD E2 A2 FA"},
            {"CRC byte 1 FB", 0x01, 0x13, "F9 01 13 00 F3 FB FE 80 5E FA"},
            {"CRC byte 2 F9", 0x0C, 0x48, "F9 0C 48 00 FE 96 FB FC C6 FA"},
            {"CRC byte 2 FA", 0x04, 0xC7, "F9 04 C7 00 F6 9E FB FD DF FA"},
            {"CRC byte 2 FB", 0x00, 0x00, "F9 00 00 00 84 22 FB FE 38 FA"},
            {"CRC byte 3 F9", 0x00, 0x62, "F9 00 62 00 E1 E6 EC FB FC FA"},
            {"CRC byte 3 FA", 0x00, 0x11, "F9 00 11 00 4B 78 B3 FB FD FA"},
            {"CRC byte 3 FB", 0x00, 0xC0, "F9 00 C0 00 50 96 31 FB FE FA"},
        };
        for (const auto &row : crcRows)
            QTest::newRow(row.name) << row.address << row.command << QByteArray()
                                    << QByteArray::fromHex(row.frame);
        QTest::newRow("200 data bytes")
            << quint8(0x07) << quint8(0x21) << frame200().mid(4, 200) << frame200();
    }
    void frames()
    {
        QFETCH(quint8, address);
        QFETCH(quint8, command);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, frame);
        cOrvexProtocolPC codec;

        QVERIFY(encode(codec, address, command, data));
        QCOMPARE(contents(codec), frame);

        load(codec, frame);
        QCOMPARE(codec.encodeBuffer(), cAbstractOrvexProtocol::DecodeResultOk);
        QCOMPARE(codec.headPacket().address, address);
        QCOMPARE(codec.headPacket().command, command);
        QCOMPARE(codec.headPacket().dataLength, quint8(data.size()));
        QCOMPARE(contents(codec), data);
    }

    void dataLengthIsEscaped()
    {
        // No message with dataLength 0xF9 to 0xFB fits the buffer, so the escape of that field
        // is checked on the byte encoder alone.
        cOrvexProtocolPC codec;
        for (unsigned char value : {0xF8, 0xF9, 0xFA, 0xFB, 0xFC})
            codec.codeByte(value);
        QCOMPARE(contents(codec), QByteArray::fromHex("F8 FB FC FB FD FB FE FC"));
    }

    void badFrames_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("result");
        const int badStart = cAbstractOrvexProtocol::DecodeResultBadStartOrEscape;
        const int crc = cAbstractOrvexProtocol::DecodeResultCrcMismatch;
        const int length = cAbstractOrvexProtocol::DecodeResultLengthMismatch;
        const int noEnd = cAbstractOrvexProtocol::DecodeResultNoEndMarker;
        QTest::newRow("empty buffer") << QByteArray() << badStart;
        QTest::newRow("no start marker") << QByteArray::fromHex("01 02 00 3C A1 C8 9C FA") << badStart;
        QTest::newRow("escape FB 01") << QByteArray::fromHex("F9 01 02 01 FB 01 3C A1 C8 9C FA") << badStart;
        QTest::newRow("escape FB FB") << QByteArray::fromHex("F9 01 FB FB 00 3C A1 C8 9C FA") << badStart;
        QTest::newRow("escape before end marker")
            << QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FB FA") << badStart;
        QTest::newRow("flipped data bit")
            << QByteArray::fromHex("F9 05 10 02 FB FD 03 3B C7 AB 85 FA") << crc;
        QTest::newRow("flipped CRC bit") << QByteArray::fromHex("F9 01 02 00 3D A1 C8 9C FA") << crc;
        QTest::newRow("dataLength one too many")
            << QByteArray::fromHex("F9 05 10 03 FB FD 01 3B C7 AB 85 FA") << length;
        QTest::newRow("dataLength one too few")
            << QByteArray::fromHex("F9 05 10 01 FB FD 01 3B C7 AB 85 FA") << length;
        QTest::newRow("dataLength 255, few bytes")
            << QByteArray::fromHex("F9 01 02 FF 00 00 00 00 FA") << length;
        QTest::newRow("markers only") << QByteArray::fromHex("F9 FA") << length;
        QTest::newRow("two bytes") << QByteArray::fromHex("F9 01 02 FA") << length;
        QTest::newRow("no end marker") << QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C") << noEnd;
        QTest::newRow("escape at the very end") << QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FB") << noEnd;
        QTest::newRow("256 bytes, no end marker")
            << QByteArray::fromHex("F9") + QByteArray(255, '\x11') << noEnd;
        QTest::newRow("end marker past the buffer")
            << QByteArray::fromHex("F9") + QByteArray(300, '\x11') + QByteArray::fromHex("FA") << noEnd;
    }
    void badFrames()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, result);
        cOrvexProtocolPC codec;
        load(codec, QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FA"));
        QCOMPARE(codec.encodeBuffer(), cAbstractOrvexProtocol::DecodeResultOk);

        load(codec, frame);
        QCOMPARE(int(codec.encodeBuffer()), result);
        // A bad frame leaves the head of the last good one.
        QCOMPARE(codec.headPacket().address, quint8(0x01));
        QCOMPARE(codec.headPacket().command, quint8(0x02));
        QCOMPARE(codec.headPacket().dataLength, quint8(0));
    }

    void staleBytesAfterTheFrameAreIgnored()
    {
        // A longer frame leaves its tail in the buffer; a shorter frame without an end marker
        // must not be completed by it.
        cOrvexProtocolPC codec;
        load(codec, QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FA"));
        load(codec, QByteArray::fromHex("F9 01 02 00 3C"));
        QCOMPARE(codec.encodeBuffer(), cAbstractOrvexProtocol::DecodeResultNoEndMarker);
    }

    void encoderLimits_data()
    {
        QTest::addColumn<quint8>("address");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("frameLength"); // 0: refused
        QTest::newRow("247 zeros fill the buffer") << quint8(0x00) << QByteArray(247, '\0') << 256;
        QTest::newRow("248 zeros") << quint8(0x00) << QByteArray(248, '\0') << 0;
        QTest::newRow("255 zeros") << quint8(0x00) << QByteArray(255, '\0') << 0;
        QTest::newRow("247 zeros, CRC byte escaped") << quint8(0x0E) << QByteArray(247, '\0') << 0;
        QTest::newRow("123 escaped bytes") << quint8(0x01) << QByteArray(123, '\xFA') << 255;
        QTest::newRow("124 escaped bytes") << quint8(0x01) << QByteArray(124, '\xFA') << 0;
    }
    void encoderLimits()
    {
        QFETCH(quint8, address);
        QFETCH(QByteArray, data);
        QFETCH(int, frameLength);
        cOrvexProtocolPC codec;
        QVERIFY(encode(codec, 0x05, 0x10, QByteArray::fromHex("FA 01")));

        QCOMPARE(encode(codec, address, 0x01, data), frameLength > 0);
        QCOMPARE(codec.bufferLength(), frameLength);
        if (frameLength == 0) {
            // No trace of the earlier frame may be left to be sent instead.
            QCOMPARE(QByteArray(reinterpret_cast<const char *>(codec.buffer()),
                                cAbstractOrvexProtocol::kBufferSize),
                     QByteArray(cAbstractOrvexProtocol::kBufferSize, '\0'));
            return;
        }
        QCOMPARE(codec.buffer()[0], cAbstractOrvexProtocol::kStartMarker);
        QCOMPARE(codec.buffer()[frameLength - 1], cAbstractOrvexProtocol::kEndMarker);
        QCOMPARE(codec.encodeBuffer(), cAbstractOrvexProtocol::DecodeResultOk);
        QCOMPARE(contents(codec), data);
    }

    void missingDataIsRefused()
    {
        cOrvexProtocolPC codec;
        QVERIFY(!codec.codeData(0x01, 0x02, 3, nullptr));
        QCOMPARE(codec.bufferLength(), 0);
        QVERIFY(codec.codeData(0x01, 0x02, 0, nullptr));
        QCOMPARE(contents(codec), QByteArray::fromHex("F9 01 02 00 3C A1 C8 9C FA"));
    }

    void addDataCountsModulo256_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("calls");
        QTest::addColumn<int>("stored");
        QTest::newRow("zero appends nothing") << 0 << 1 << 0;
        QTest::newRow("127") << 127 << 1 << 127;
        QTest::newRow("-1 is 255") << -1 << 1 << 255;
        QTest::newRow("-128 is 128") << -128 << 1 << 128;
        QTest::newRow("overflow stops at the buffer end") << -1 << 2 << 256;
    }
    void addDataCountsModulo256()
    {
        QFETCH(int, length);
        QFETCH(int, calls);
        QFETCH(int, stored);
        QByteArray source(255, '\0');
        for (int i = 0; i < source.size(); ++i)
            source[i] = char(i);
        cOrvexProtocolPC codec;
        for (int i = 0; i < calls; ++i)
            codec.addData(bytes(source), static_cast<char>(length));
        QCOMPARE(codec.bufferLength(), stored);
        // The first bytes stay in place however many more arrive.
        QCOMPARE(contents(codec).left(qMin(stored, 255)), source.left(qMin(stored, 255)));
    }

    void randomRoundTrips()
    {
        // Up to 120 data bytes every frame fits even with every byte escaped.
        constexpr int kSeeds = 2000;
        constexpr int kLongestData = 120;
        cOrvexProtocolPC codec;
        for (quint32 seed = 1; seed <= kSeeds; ++seed) {
            QRandomGenerator random(seed);
            const quint8 address = quint8(random.bounded(256));
            const quint8 command = quint8(random.bounded(256));
            QByteArray data(random.bounded(kLongestData + 1), '\0');
            // Half the messages lean on the marker values to exercise the escapes.
            const bool markerHeavy = seed % 2 == 0;
            for (char &byte : data)
                byte = char(markerHeavy ? 0xF8 + random.bounded(5) : random.bounded(256));

            QVERIFY2(encode(codec, address, command, data), qPrintable(QString::number(seed)));
            QCOMPARE(codec.encodeBuffer(), cAbstractOrvexProtocol::DecodeResultOk);
            QCOMPARE(codec.headPacket().address, address);
            QCOMPARE(codec.headPacket().command, command);
            QCOMPARE(contents(codec), data);
        }
    }
};

QTEST_GUILESS_MAIN(tst_cAbstractOrvexProtocol)
#include "tst_cAbstractOrvexProtocol.moc"
