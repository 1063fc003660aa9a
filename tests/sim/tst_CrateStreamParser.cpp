#include "CrateStreamParser.h"

#include <QTest>

using Item = CrateStreamParser::Item;

namespace {
/// Every item the parser gives for `input` fed in pieces of `chunk` bytes, as text:
/// "T:<line>" for a command line, "M:<address>,<command>,<hex data>" for a module message.
QStringList parseAll(const QByteArray &input, int chunk)
{
    CrateStreamParser parser;
    QStringList items;
    for (qsizetype offset = 0; offset < input.size(); offset += chunk) {
        parser.append(input.mid(offset, chunk));
        while (const auto item = parser.next()) {
            items << (item->kind == Item::TextLine ? QStringLiteral("T:") + QString::fromLatin1(item->text)
                                                   : QStringLiteral("M:%1,%2,%3")
                                                         .arg(item->address)
                                                         .arg(item->command)
                                                         .arg(QString::fromLatin1(item->data.toHex())));
        }
    }
    return items;
}
} // namespace

class tst_CrateStreamParser : public QObject
{
    Q_OBJECT
private slots:
    void splitsMixedStream_data();
    void splitsMixedStream();
    void overlongLineIsGarbage();
};

void tst_CrateStreamParser::splitsMixedStream_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("expected");

    const QByteArray mixed =
        QByteArray::fromHex("010600") + "SYST:DEVJ?\r\n" + QByteArray::fromHex("0112040000803f");
    const QStringList mixedItems{"M:1,6,", "T:SYST:DEVJ?", "M:1,18,0000803f"};
    QTest::newRow("messages and a command line") << mixed << mixedItems;

    QTest::newRow("update line with doubled line end")
        << QByteArray("SYST:UPDT 3\r\n\r\nSYST:LOCK 0\r\n") << QStringList{"T:SYST:UPDT 3", "T:SYST:LOCK 0"};
    QTest::newRow("bare newline ends a line") << QByteArray("SYST:DEVL?\n") << QStringList{"T:SYST:DEVL?"};
    // After a module message a CR LF pair is a message to address 13 with command 10.
    QTest::newRow("CR LF after a message is a message")
        << QByteArray::fromHex("0105000d0a00") << QStringList{"M:1,5,", "M:13,10,"};
    QTest::newRow("255 data bytes") << QByteArray::fromHex("0229ff") + QByteArray(255, 'x')
                                    << QStringList{QStringLiteral("M:2,41,") +
                                                   QString::fromLatin1(QByteArray(255, 'x').toHex())};
    QTest::newRow("incomplete message waits") << QByteArray::fromHex("01290401") << QStringList{};
    // No command code is a letter: a line of some other protocol is a line, and the stream
    // goes on at the next one.
    QTest::newRow("line not starting with SYST")
        << QByteArray("HELP me\r\n") + QByteArray::fromHex("010600") + "SYST:DEVJ?\r\n"
        << QStringList{"T:HELP me", "M:1,6,", "T:SYST:DEVJ?"};
}

void tst_CrateStreamParser::splitsMixedStream()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, expected);
    QCOMPARE(parseAll(input, int(input.size())), expected); // all in one read
    QCOMPARE(parseAll(input, 1), expected);                 // one byte per read
}

void tst_CrateStreamParser::overlongLineIsGarbage()
{
    CrateStreamParser parser;
    parser.append("SYST:" + QByteArray(CrateStreamParser::MaxLineLength, 'A'));
    QVERIFY(!parser.next());
    QVERIFY(parser.isGarbage());
}

QTEST_GUILESS_MAIN(tst_CrateStreamParser)
#include "tst_CrateStreamParser.moc"
