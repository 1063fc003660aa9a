#include "convertToHostAddress.h"

#include <QTest>

class tst_convertToHostAddress : public QObject
{
    Q_OBJECT
private slots:
    void convert_data();
    void convert();
};

void tst_convertToHostAddress::convert_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QHostAddress>("expected");

    QTest::newRow("plain") << "10.0.0.7" << QHostAddress(quint32(0x0A000007));
    QTest::newRow("stored default") << "127.000.000.001" << QHostAddress(quint32(0x7F000001));
    // The ordinary parser would read 010 as octal 8; typed addresses are always decimal.
    QTest::newRow("leading zeros are decimal") << "192.168.001.010" << QHostAddress(quint32(0xC0A8010A));
    QTest::newRow("top octets") << "255.255.255.255" << QHostAddress(quint32(0xFFFFFFFF));
    QTest::newRow("three parts go to the parser") << "10.0.7" << QHostAddress(QStringLiteral("10.0.7"));
    QTest::newRow("non-numeric part goes to the parser") << "10.0.0.x" << QHostAddress();
    QTest::newRow("empty part goes to the parser") << "10..0.7" << QHostAddress();
    QTest::newRow("signed part goes to the parser") << "10.-1.0.7" << QHostAddress();
    QTest::newRow("ipv6 goes to the parser") << "::1" << QHostAddress(QHostAddress::LocalHostIPv6);
    QTest::newRow("empty") << "" << QHostAddress();
    // 300 must not carry into the next octet (300.1.1.1 would otherwise become 45.1.1.1).
    QTest::newRow("first part above 255") << "300.1.1.1" << QHostAddress();
    QTest::newRow("last part above 255") << "10.0.0.256" << QHostAddress();
    QTest::newRow("huge part") << "1.99999999999.1.1" << QHostAddress();
}

void tst_convertToHostAddress::convert()
{
    QFETCH(QString, text);
    QFETCH(QHostAddress, expected);
    const QHostAddress address = convertToHostAddress(text);
    QCOMPARE(address, expected);
    QCOMPARE(address.isNull(), expected.isNull());
}

QTEST_GUILESS_MAIN(tst_convertToHostAddress)
#include "tst_convertToHostAddress.moc"
