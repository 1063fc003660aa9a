#include "cOrvexProtocolPC.h"

#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

// CRC vectors come from a bitwise reference written apart from the library and from the examples
// of the frame format; none is produced by the code under test.
class tst_cOrvexProtocolPC : public QObject
{
    Q_OBJECT

private:
    static quint32 crcOf(cOrvexProtocolPC &codec, const QByteArray &bytes, bool reset = true)
    {
        return codec.crc32stm32(reinterpret_cast<const unsigned char *>(bytes.constData()),
                                static_cast<unsigned char>(bytes.size()), reset);
    }

private slots:
    void crcVectors_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("empty") << QByteArray() << 0x00000000u;
        QTest::newRow("abc, padded word") << QByteArray("abc") << 0x1EDF7968u;
        // The STM32 CRC unit reports 0xDF8A8A2B for the word 0x12345678; the codec complements it.
        QTest::newRow("word 0x12345678") << QByteArray::fromHex("78563412") << 0x207575D4u;
        QTest::newRow("head 01 02 00") << QByteArray::fromHex("010200") << 0x9CC8A13Cu;
        QTest::newRow("head 05 10 02, data FA 01") << QByteArray::fromHex("051002FA01") << 0x85ABC73Bu;
        QTest::newRow("nine digits, partial last word") << QByteArray("123456789") << 0x500E6FA8u;
        QTest::newRow("eight digits, two words") << QByteArray("12345678") << 0x0103AB06u;
    }
    void crcVectors()
    {
        QFETCH(QByteArray, input);
        QFETCH(quint32, expected);
        cOrvexProtocolPC codec;
        QCOMPARE(crcOf(codec, input), expected);
        // A reset must not depend on what was computed before.
        crcOf(codec, QByteArray("unrelated"));
        QCOMPARE(crcOf(codec, input), expected);
    }

    void continuationOverWholeWords()
    {
        cOrvexProtocolPC codec;
        crcOf(codec, QByteArray("1234"));
        QCOMPARE(crcOf(codec, QByteArray("5678"), false), 0x0103AB06u);
        // Padding applies at the end of every call, so a continuation after a partial word
        // differs from one call over the joined bytes.
        crcOf(codec, QByteArray("ab"));
        QVERIFY(crcOf(codec, QByteArray("c"), false) != 0x1EDF7968u);
    }

    void longestInput()
    {
        // 255 bytes: 63 words and a three-byte tail, the most one call takes.
        cOrvexProtocolPC codec;
        const QByteArray bytes(255, '\xA5');
        const quint32 whole = crcOf(codec, bytes);
        crcOf(codec, bytes.left(252));
        QCOMPARE(crcOf(codec, bytes.mid(252), false), whole);
    }

    void instanceIsOneObjectAcrossThreads()
    {
        constexpr int kThreads = 8;
        constexpr int kThreadTimeoutMs = 30000;
        std::vector<cOrvexProtocolPC *> seen(kThreads, nullptr);
        std::vector<std::unique_ptr<QThread>> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back(QThread::create([&seen, i] { seen[i] = cOrvexProtocolPC::instance(); }));
        for (auto &thread : threads)
            thread->start();
        for (auto &thread : threads)
            QVERIFY(thread->wait(QDeadlineTimer(kThreadTimeoutMs)));
        for (cOrvexProtocolPC *codec : seen)
            QCOMPARE(codec, cOrvexProtocolPC::instance());
    }
};

QTEST_GUILESS_MAIN(tst_cOrvexProtocolPC)
#include "tst_cOrvexProtocolPC.moc"
