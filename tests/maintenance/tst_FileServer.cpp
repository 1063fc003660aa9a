#include "CrateMessageReader.h"
#include "FileServer.h"
#include "LocalHttpServer.h"

#include <QDataStream>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
constexpr int WaitMs = 10000;
constexpr int SilenceMs = 1000; ///< the download time-out against the silent server
// "FILE_DATA": tag length, UTF-16 text, 64-bit size, byte-array length.
constexpr int FileDataHeaderBytes = 4 + 18 + 8 + 4;
static_assert(FileDataHeaderBytes == 34, "header of the file message");

QByteArray crateMessage(const QString &tag)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << tag;
    return bytes;
}

template <typename T> QByteArray crateMessage(const QString &tag, const T &payload)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << tag << payload;
    return bytes;
}

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

/// The file server the crate fetches firmware from: the message it sends, the crate's messages
/// as a stream, and what it refuses to serve or send.
class tst_FileServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fileDataMessageIsByteExact();
    void crateMessagesAsAStream_data();
    void crateMessagesAsAStream();
    void onlyTheCrateMayFetch_data();
    void onlyTheCrateMayFetch();
    void theImageGoesToTheCrateOnce();
    void whatIsNoImageIsNotSent_data();
    void whatIsNoImageIsNotSent();

private:
    /// A server started for the crate at 127.0.0.1 and a crate connected to it.
    bool connectCrate(FileServer &server, QTcpSocket &crate);

    QTemporaryDir m_files;
    std::unique_ptr<LocalHttpServer> m_http;
    QTcpServer m_silent; ///< accepts and never answers
};

void tst_FileServer::initTestCase()
{
    QVERIFY(m_files.isValid());
    const QList<QPair<QString, QByteArray>> files{
        {"tiny.bin", QByteArray(100, '\x5A')},
        {"page.bin", "<!DOCTYPE html><html><body>Not here</body></html>" + QByteArray(4096, ' ')},
        {"image.bin", QByteArray(5000, '\x11')},
    };
    for (const auto &[name, content] : files) {
        QFile file(m_files.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    }
    QFile huge(m_files.filePath("huge.bin")); // 50 MB, sparse
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(50 * 1024 * 1024));
    huge.close();
    m_http = std::make_unique<LocalHttpServer>(m_files.path());
    QVERIFY(m_http->start());
    QVERIFY(m_silent.listen(QHostAddress::LocalHost, 0));
}

void tst_FileServer::fileDataMessageIsByteExact()
{
    const QByteArray image(1234567, '\xA5');
    const QByteArray message = FileServer::fileDataMessage(image);
    QCOMPARE(message.size(), FileDataHeaderBytes + 1234567);
    const QByteArray header = QByteArray::fromHex("00000012"
                                                  "00460049004c0045005f0044004100540041" // FILE_DATA
                                                  "000000000012d687"                     // size, 64 bits
                                                  "0012d687");                           // array length
    QCOMPARE(message.left(FileDataHeaderBytes), header);
    QVERIFY(message.mid(FileDataHeaderBytes) == image);
}

void tst_FileServer::crateMessagesAsAStream_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QStringList>("expected"); ///< kind:text per message

    QTest::newRow("progress") << crateMessage("PROGRESS", qint32(57)) << QStringList{"P:57"};
    QTest::newRow("progress and completion in one chunk")
        << crateMessage("PROGRESS", qint32(90)) + crateMessage("COMPLETED") << QStringList{"P:90", "C:"};
    QTest::newRow("status, error, null text")
        << crateMessage("STATUS", QStringLiteral("Writing")) +
               crateMessage("ERROR", QStringLiteral("Flash")) + crateMessage("STATUS", QString())
        << QStringList{"S:Writing", "E:Flash", "S:"};
    QByteArray huge = QByteArray::fromHex("fffffffe");
    QTest::newRow("a 4 GB text") << crateMessage("STATUS") + huge
                                 << QStringList{"U:a text of 4294967294 bytes"};
    QTest::newRow("unknown tag skipped, the next one read")
        << crateMessage("HELLO", qint32(1)) + crateMessage("COMPLETED")
        << QStringList{"U:a message tagged \"HELLO\"", "C:"};
    QTest::newRow("truncated record waits")
        << crateMessage("PROGRESS", qint32(5)).chopped(2) << QStringList{};
}

void tst_FileServer::crateMessagesAsAStream()
{
    QFETCH(QByteArray, stream);
    QFETCH(QStringList, expected);
    const char kinds[] = {'S', 'P', 'E', 'C', 'U'};
    // Whole, and byte by byte as the slowest TCP would deliver it.
    for (const int chunk : {int(stream.size()), 1}) {
        CrateMessageReader reader;
        QStringList read;
        for (qsizetype at = 0; at < stream.size(); at += chunk) {
            reader.append(stream.mid(at, chunk));
            while (const auto message = reader.next()) {
                read << QStringLiteral("%1:%2")
                            .arg(kinds[message->kind])
                            .arg(message->kind == CrateMessageReader::Message::Progress
                                     ? QString::number(message->progress)
                                     : message->text);
            }
        }
        QCOMPARE(read, expected);
    }
}

bool tst_FileServer::connectCrate(FileServer &server, QTcpSocket &crate)
{
    const quint16 port = freePort();
    server.setCrateAddress(QHostAddress(QStringLiteral("127.0.0.1")));
    server.startServer(port);
    QSignalSpy connected(&server, &FileServer::clientConnected);
    crate.connectToHost(QHostAddress::LocalHost, port);
    return connected.wait(WaitMs);
}

void tst_FileServer::onlyTheCrateMayFetch_data()
{
    QTest::addColumn<QString>("crate");
    QTest::addColumn<QString>("peer"); ///< the address the connection comes from
    QTest::addColumn<QString>("refusal");
    // The system gives a connection to any loopback address the source 127.0.0.1.
    QTest::newRow("loopback crate, other loopback source") << "127.0.0.5"
                                                           << "127.0.0.2"
                                                           << "";
    QTest::newRow("remote crate, local stranger")
        << "192.0.2.7"
        << "127.0.0.1"
        << "Refused a connection from 127.0.0.1: only the crate at 192.0.2.7 may fetch firmware";
}

void tst_FileServer::onlyTheCrateMayFetch()
{
    QFETCH(QString, crate);
    QFETCH(QString, peer);
    QFETCH(QString, refusal);
    FileServer server;
    const quint16 port = freePort();
    server.setCrateAddress(QHostAddress(crate));
    server.startServer(port);
    QSignalSpy connected(&server, &FileServer::clientConnected);
    QSignalSpy refused(&server, &FileServer::peerRefused);
    QTcpSocket socket;
    QVERIFY(socket.bind(QHostAddress(peer)));
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (refusal.isEmpty()) {
        QVERIFY(connected.wait(WaitMs));
        QCOMPARE(refused.count(), 0);
        return;
    }
    QVERIFY(refused.wait(WaitMs));
    QCOMPARE(refused.first().at(0).toString(), refusal);
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, WaitMs);
    QCOMPARE(connected.count(), 0);
}

void tst_FileServer::theImageGoesToTheCrateOnce()
{
    FileServer server;
    QSignalSpy errors(&server, &FileServer::errorOccurred);
    server.downloadAndSendFile(m_http->url("image.bin"));
    QCOMPARE(errors.takeFirst().at(0).toString(), QStringLiteral("Client doesn't connected"));

    QTcpSocket crate;
    QVERIFY(connectCrate(server, crate));
    QSignalSpy failed(&server, &FileServer::transferFailed);
    QSignalSpy sent(&server, &FileServer::imageSent);
    server.downloadAndSendFile(m_http->url("image.bin"));
    server.downloadAndSendFile(m_http->url("image.bin")); // a second request while one runs
    QCOMPARE(errors.last().at(0).toString(), QStringLiteral("A firmware transfer is already under way"));
    const QByteArray expected = FileServer::fileDataMessage(QByteArray(5000, '\x11'));
    QByteArray received;
    QVERIFY(QTest::qWaitFor([&] { return (received += crate.readAll()).size() >= expected.size(); }, WaitMs));
    QVERIFY(received == expected);
    QCOMPARE(failed.count(), 0);
    // The crate's own progress starts from nothing, not from the download's 100 %.
    QCOMPARE(sent.count(), 1);
    QCOMPARE(server.progress(), 0);

    QSignalSpy completed(&server, &FileServer::fileTransferCompleted);
    crate.write(crateMessage("PROGRESS", qint32(57)) + crateMessage("COMPLETED"));
    QVERIFY(completed.wait(WaitMs));
    QCOMPARE(server.progress(), 100);
    QCOMPARE(server.status(), QStringLiteral("Completed"));
}

void tst_FileServer::whatIsNoImageIsNotSent_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("error");
    QTest::newRow("not found") << m_http->url("missing.bin") << "Download error: ";
    QTest::newRow("web page") << m_http->url("page.bin") << "Download error: the server sent a web page";
    QTest::newRow("too small") << m_http->url("tiny.bin") << "Download error: 100 bytes is too small";
    QTest::newRow("too large") << m_http->url("huge.bin") << "Download error: the file is larger than 16 MB";
    QTest::newRow("silent server")
        << QStringLiteral("http://127.0.0.1:%1/image.bin").arg(m_silent.serverPort())
        << "Download error: no answer from the firmware server within 1 s";
}

void tst_FileServer::whatIsNoImageIsNotSent()
{
    QFETCH(QString, url);
    QFETCH(QString, error);
    FileServer server;
    server.setDownloadTimeout(SilenceMs);
    QTcpSocket crate;
    QVERIFY(connectCrate(server, crate));
    QSignalSpy failed(&server, &FileServer::transferFailed);
    server.downloadAndSendFile(url);
    QVERIFY(failed.wait(WaitMs));
    QVERIFY2(failed.first().at(0).toString().startsWith(error), qPrintable(failed.first().at(0).toString()));
    QCOMPARE(server.status(), failed.first().at(0).toString());
    QTest::qWait(100);
    QCOMPARE(crate.bytesAvailable(), 0);
}

QTEST_GUILESS_MAIN(tst_FileServer)
#include "tst_FileServer.moc"
