#include "SimulatorProcess.h"
#include "vtTcpSocketIOInterface.h"

#include <QDeadlineTimer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

namespace {
constexpr int WaitMs = 3000;

/// One received message, copied out of the link's buffer.
struct Record
{
    quint8 address;
    quint8 command;
    QByteArray data;
};

QByteArray record(quint8 address, quint8 command, const QByteArray &data)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(address));
    bytes.append(static_cast<char>(command));
    bytes.append(static_cast<char>(data.size()));
    return bytes + data;
}
} // namespace

/// The TCP link against a peer the test plays itself on loopback.
class tst_vtTcpSocketIOInterface : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sendsOneRecordPerMessage();
    void deliversRecordsSplitAndMerged_data();
    void deliversRecordsSplitAndMerged();
    void holdsIncompleteRecordUntilPeerCloses();
    void receiverMaySendWhileHandlingARecord();
    void queryReturnsAtSlashMarker();
    void queryCollectsForWholeTimeout();
    void queryWithZeroTimeoutReturnsAtOnce();
    void queryRestoresMessageMode();
    void queryStopsAtSizeLimit();
    void recordPendingBeforeQueryIsNotDelivered();
    void unreachableCrateFailsWithoutWriting();
    void directAccessOnlyInDirectMode();
    void simulatorRepliesSplitOrCoalesced_data();
    void simulatorRepliesSplitOrCoalesced();

private:
    QTcpSocket *acceptPeer();
    void collect(vtTcpSocketIOInterface *link);

    QTcpServer *m_server = nullptr;
    vtTcpSocketIOInterface *m_link = nullptr;
    QList<Record> m_records;
};

void tst_vtTcpSocketIOInterface::init()
{
    m_server = new QTcpServer(this);
    QVERIFY(m_server->listen(QHostAddress::LocalHost));
    m_link = new vtTcpSocketIOInterface(this);
    m_link->setAddress(QHostAddress::LocalHost);
    m_link->setPort(m_server->serverPort());
    m_records.clear();
    collect(m_link);
}

void tst_vtTcpSocketIOInterface::cleanup()
{
    delete m_link;
    delete m_server;
}

void tst_vtTcpSocketIOInterface::collect(vtTcpSocketIOInterface *link)
{
    connect(link, &vtIOInterface::msgReceived, this,
            [this](quint8 address, quint8 command, quint8 length, quint8 *data) {
                m_records.append({address, command, QByteArray(reinterpret_cast<char *>(data), length)});
            });
}

QTcpSocket *tst_vtTcpSocketIOInterface::acceptPeer()
{
    if (!m_server->hasPendingConnections() && !m_server->waitForNewConnection(WaitMs))
        return nullptr;
    return m_server->nextPendingConnection();
}

void tst_vtTcpSocketIOInterface::sendsOneRecordPerMessage()
{
    quint8 payload[] = {0x10, 0x20, 0x30};
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    QVERIFY(m_link->sendMsg(7, 21, sizeof payload, payload));
    QVERIFY(m_link->sendMsg(8, 5, 0, nullptr));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += peer->readAll()).size() >= 9, WaitMs);
    QCOMPARE(received, QByteArray::fromHex("071503102030"
                                           "080500"));
}

void tst_vtTcpSocketIOInterface::deliversRecordsSplitAndMerged_data()
{
    QTest::addColumn<QList<QByteArray>>("segments");
    QTest::addColumn<int>("records");
    QTest::addColumn<int>("lastLength");

    const QByteArray twenty = record(3, 6, QByteArray(20, 'x'));
    const QByteArray empty = record(4, 1, {});
    const QByteArray big = record(5, 2, QByteArray(200, '\xA5'));
    QTest::newRow("two records in one segment") << QList<QByteArray>{twenty + empty} << 2 << 0;
    QTest::newRow("record in three pieces")
        << QList<QByteArray>{twenty.left(1), twenty.mid(1, 5), twenty.mid(6)} << 1 << 20;
    QTest::newRow("length 0 alone") << QList<QByteArray>{empty} << 1 << 0;
    QTest::newRow("length 200 split after header")
        << QList<QByteArray>{big.left(3), big.mid(3, 100), big.mid(103)} << 1 << 200;
    QTest::newRow("record tail merged with next")
        << QList<QByteArray>{twenty.left(10), twenty.mid(10) + big + empty} << 3 << 0;
}

void tst_vtTcpSocketIOInterface::deliversRecordsSplitAndMerged()
{
    QFETCH(QList<QByteArray>, segments);
    QFETCH(int, records);
    QFETCH(int, lastLength);

    QVERIFY(m_link->sendMsg(1, 1, 0, nullptr));
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    for (const QByteArray &segment : segments) {
        peer->write(segment);
        peer->flush();
        // Let the link see each piece on its own before the next one arrives.
        QTest::qWait(20);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), records, WaitMs);
    QCOMPARE(m_records.last().data.size(), lastLength);
    const QByteArray all = segments.join();
    QCOMPARE(m_records.first().address, static_cast<quint8>(all.at(0)));
    QCOMPARE(m_records.first().command, static_cast<quint8>(all.at(1)));
}

void tst_vtTcpSocketIOInterface::holdsIncompleteRecordUntilPeerCloses()
{
    QVERIFY(m_link->sendMsg(1, 1, 0, nullptr));
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    // A whole record, then a header that promises 255 bytes of which only 4 arrive.
    peer->write(record(9, 9, "abc") + QByteArray::fromHex("0a0bff01020304"));
    peer->flush();
    peer->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), 1, WaitMs);
    QTest::qWait(50);
    QCOMPARE(m_records.size(), 1);
    QCOMPARE(m_records.first().data, QByteArray("abc"));
}

void tst_vtTcpSocketIOInterface::receiverMaySendWhileHandlingARecord()
{
    QByteArray seenAfterSend;
    connect(m_link, &vtIOInterface::msgReceived, this, [&](quint8, quint8, quint8 length, quint8 *data) {
        quint8 ack = 1;
        m_link->sendMsg(2, 2, 1, &ack); // clears the link's receive buffer
        seenAfterSend = QByteArray(reinterpret_cast<char *>(data), length);
    });
    QVERIFY(m_link->sendMsg(1, 1, 0, nullptr));
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    peer->write(record(3, 3, QByteArray(64, 'q')));
    peer->flush();
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), 1, WaitMs);
    QCOMPARE(seenAfterSend, QByteArray(64, 'q'));
}

void tst_vtTcpSocketIOInterface::queryReturnsAtSlashMarker()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    connect(peer, &QTcpSocket::readyRead, peer, [peer] {
        peer->readAll();
        peer->write("first/r/n");
        peer->flush();
        QTimer::singleShot(300, peer, [peer] { peer->write("late"); });
    });
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(QStringLiteral("SYST:TEST?\r\n"), 2000, &ok);
    QVERIFY(ok);
    QCOMPARE(reply, QStringLiteral("first/r/n"));
}

void tst_vtTcpSocketIOInterface::queryCollectsForWholeTimeout()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    QByteArray request;
    connect(peer, &QTcpSocket::readyRead, peer, [peer, &request] {
        request += peer->readAll();
        // A real line end is not the marker: everything up to the time-out is collected.
        peer->write("ok\r\n");
        peer->flush();
        QTimer::singleShot(50, peer, [peer] { peer->write("second\r\n"); });
    });
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(QStringLiteral("SYST:LOCK 1\r\n"), 400, &ok);
    QVERIFY(ok);
    QCOMPARE(reply, QStringLiteral("ok\r\nsecond\r\n"));
    QCOMPARE(request, QByteArray("SYST:LOCK 1\r\n"));
}

void tst_vtTcpSocketIOInterface::queryWithZeroTimeoutReturnsAtOnce()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    connect(peer, &QTcpSocket::readyRead, peer, [peer] { peer->write(peer->readAll()); });
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(QStringLiteral("SYST:ECHO\r\n"), 0, &ok);
    QVERIFY(ok);
    // The echo cannot have arrived yet: nothing was waited for.
    QVERIFY(reply.isEmpty());
}

void tst_vtTcpSocketIOInterface::queryStopsAtSizeLimit()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    connect(peer, &QTcpSocket::readyRead, peer, [peer] {
        peer->readAll();
        peer->write(QByteArray(2 * vtTcpSocketIOInterface::MaxQueryReplyBytes, 'x'));
    });
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(QStringLiteral("SYST:DEVJ?\r\n"), 5000, &ok);
    QVERIFY(ok);
    QCOMPARE(reply.size(), vtTcpSocketIOInterface::MaxQueryReplyBytes);
}

void tst_vtTcpSocketIOInterface::recordPendingBeforeQueryIsNotDelivered()
{
    QVERIFY(m_link->sendMsg(9, 5, 0, nullptr));
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    peer->write(record(9, 5, "ab"));
    peer->flush();
    // The socket has told of the record, but the link's queued handler has not run yet when
    // the query starts: the bytes belong to the query now.
    QSignalSpy told(m_link->findChild<QTcpSocket *>(), &QTcpSocket::readyRead);
    const QDeadlineTimer deadline(WaitMs);
    while (told.isEmpty() && !deadline.hasExpired())
        QCoreApplication::processEvents(); // one round: the queued handler comes in the next
    QVERIFY(!told.isEmpty());
    QVERIFY(m_records.isEmpty());
    bool ok = false;
    const QString reply = m_link->tcpIpQuery(QStringLiteral("SYST:TEST?\r\n"), 100, &ok);
    QVERIFY(ok);
    QVERIFY(reply.endsWith(QStringLiteral("ab")));
    QVERIFY(m_records.isEmpty());
}

void tst_vtTcpSocketIOInterface::queryRestoresMessageMode()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    QCOMPARE(m_link->transmitMode(), vtIOInterfaceImpl::MessageMode);
    connect(peer, &QTcpSocket::readyRead, peer, [peer] {
        const QByteArray request = peer->readAll();
        if (request.startsWith("SYST"))
            peer->write("{\"count\":0}");
        else
            peer->write(record(static_cast<quint8>(request.at(0)), static_cast<quint8>(request.at(1)), "xy"));
    });
    bool ok = false;
    QCOMPARE(m_link->tcpIpQuery(QStringLiteral("SYST:DEVJ?\r\n"), 150, &ok), QStringLiteral("{\"count\":0}"));
    QCOMPARE(m_link->transmitMode(), vtIOInterfaceImpl::MessageMode);
    QVERIFY(m_records.isEmpty());

    QVERIFY(m_link->sendMsg(12, 6, 0, nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), 1, WaitMs);
    QCOMPARE(m_records.first().address, quint8(12));
    QCOMPARE(m_records.first().data, QByteArray("xy"));

    // Switching to the mode it already has must not deliver records twice.
    m_link->setTransmitMode(vtIOInterfaceImpl::MessageMode);
    QVERIFY(m_link->sendMsg(13, 6, 0, nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), 2, WaitMs);
    QTest::qWait(50);
    QCOMPARE(m_records.size(), 2);
}

void tst_vtTcpSocketIOInterface::unreachableCrateFailsWithoutWriting()
{
    const quint16 closedPort = m_server->serverPort();
    m_server->close();
    vtTcpSocketIOInterface link;
    link.setAddress(QHostAddress::LocalHost);
    link.setPort(closedPort);
    bool ok = true;
    QCOMPARE(link.tcpIpQuery(QStringLiteral("SYST:DEVJ?\r\n"), 500, &ok), QString());
    QVERIFY(!ok);
    QVERIFY(!link.isSocketReady());
    quint8 byte = 0;
    QVERIFY(!link.sendMsg(1, 5, 1, &byte));
    QCOMPARE(link.tcpIpQuery(QStringLiteral("SYST:DEVJ?\r\n"), 500, nullptr), QString());
}

void tst_vtTcpSocketIOInterface::directAccessOnlyInDirectMode()
{
    QVERIFY(m_link->initialize());
    QTcpSocket *peer = acceptPeer();
    QVERIFY(peer);
    QVERIFY(!m_link->directWrite("raw"));
    QVERIFY(m_link->directRead().isEmpty());

    m_link->setTransmitMode(vtIOInterfaceImpl::DirectMode);
    QVERIFY(m_link->directWrite("raw"));
    QTRY_COMPARE_WITH_TIMEOUT(peer->bytesAvailable(), qint64(3), WaitMs);
    peer->write(record(1, 2, "no parsing"));
    QByteArray raw;
    QTRY_VERIFY_WITH_TIMEOUT((raw += m_link->directRead()).size() == 13, WaitMs);
    QVERIFY(m_records.isEmpty());
}

void tst_vtTcpSocketIOInterface::simulatorRepliesSplitOrCoalesced_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::newRow("plain") << QStringList{};
    QTest::newRow("one byte per segment") << QStringList{"--split", "1"};
    QTest::newRow("replies coalesced") << QStringList{"--coalesce"};
    QTest::newRow("slow replies") << QStringList{"--delay-ms", "30"};
}

void tst_vtTcpSocketIOInterface::simulatorRepliesSplitOrCoalesced()
{
    QFETCH(QStringList, faults);
    constexpr quint8 ParamsGetter = 0x1D; // answered with a 20-byte record
    SimulatorProcess simulator(faults);
    QVERIFY(simulator.start());
    m_link->setAddress(simulator.address());
    m_link->setPort(simulator.port());

    QVERIFY(m_link->sendMsg(1, ParamsGetter, 0, nullptr));
    QVERIFY(m_link->sendMsg(2, ParamsGetter, 0, nullptr));
    QTRY_COMPARE_WITH_TIMEOUT(m_records.size(), 2, WaitMs);
    QCOMPARE(m_records.at(0).address, quint8(1));
    QCOMPARE(m_records.at(1).address, quint8(2));
    for (const Record &reply : std::as_const(m_records)) {
        QCOMPARE(reply.command, ParamsGetter);
        QCOMPARE(reply.data.size(), 20);
    }
}

QTEST_GUILESS_MAIN(tst_vtTcpSocketIOInterface)
#include "tst_vtTcpSocketIOInterface.moc"
