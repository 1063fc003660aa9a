#include "FileMapHandler.h"
#include "LocalHttpServer.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 20000;
const QString BasePath = QStringLiteral("vantrel4/Bin/Firmware/");
} // namespace

/// The firmware catalogue crawled from real directory listings: Python's http.server over a
/// folder tree with a link loop, and an nginx-style page saved as a fixture.
class tst_FileMapHandler : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void crawlFindsEveryImageOnceAndEnds();
    void filtersOfferNewestVersionsFirst_data();
    void filtersOfferNewestVersionsFirst();
    void unreachableOrEmptyServerEndsTheCrawl();
    void oversizedListingsAreCut();
    void silentServerFailsAndCancelEndsQuietly();

private:
    bool crawl(FileMapHandler &handler);

    QTemporaryDir m_tree;
    std::unique_ptr<LocalHttpServer> m_http;
    std::unique_ptr<FileMapHandler> m_catalogue; ///< crawled once for the filter rows
};

void tst_FileMapHandler::initTestCase()
{
    QVERIFY(m_tree.isValid());
    const QDir base(m_tree.filePath(BasePath));
    const QStringList images{"1.2.0/VT4SDM1V2",        "1.3.0/VT4SDM1V2",       "1.3.0/VT4SDM2V1",
                             "1.3.0/VT4TDM0V1",        "1.10.0/VT4SDM1V2",      "1.9.0/VT4SDM1V2",
                             "mirror/2.0.0/VT4TDM0V3", "mirror/2.0.1/VT4TDM0V3"};
    for (const QString &image : images) {
        QVERIFY(QDir().mkpath(base.filePath(image.section('/', 0, -2))));
        QFile file(base.filePath(image + "_code.bin"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(QByteArray(2048, '\x01')) > 0);
    }
    // A listing too large to hold, and one with far more directories than a catalogue has.
    QVERIFY(QDir().mkpath(m_tree.filePath("huge")) && QDir().mkpath(m_tree.filePath("many")));
    QFile huge(m_tree.filePath("huge/index.html"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(3 * 1024 * 1024));
    QFile many(m_tree.filePath("many/index.html"));
    QVERIFY(many.open(QIODevice::WriteOnly));
    for (int i = 0; i < 10000; ++i)
        many.write(QStringLiteral("<a href=\"d%1/\">d%1/</a>\n").arg(i).toUtf8());
    many.close();
    // A link back up: the listing of 1.9.0/loop/ is the base again, and so on without end.
    QVERIFY(QFile::link(base.absolutePath(), base.filePath("1.9.0/loop")));
    QVERIFY(
        QFile::copy(QStringLiteral(VT_FIXTURES "/nginx-autoindex.html"), base.filePath("mirror/index.html")));
    m_http = std::make_unique<LocalHttpServer>(m_tree.path());
    QVERIFY(m_http->start());
}

bool tst_FileMapHandler::crawl(FileMapHandler &handler)
{
    QSignalSpy finished(&handler, &FileMapHandler::loadingFinished);
    handler.loadFileMap();
    return finished.wait(WaitMs) && !handler.loading();
}

void tst_FileMapHandler::crawlFindsEveryImageOnceAndEnds()
{
    FileMapHandler handler(m_http->url(BasePath), nullptr);
    QSignalSpy errors(&handler, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(handler));
    QCOMPARE(errors.count(), 0);
    const QStringList paths = handler.imagePaths();
    for (const char *path :
         {"1.2.0/VT4SDM1V2", "1.10.0/VT4SDM1V2", "mirror/2.0.0/VT4TDM0V3", "mirror/2.0.1/VT4TDM0V3"})
        QCOMPARE(paths.count(path), 1);
    // The loop is followed no deeper than the depth limit.
    for (const QString &path : paths)
        QVERIFY2(path.count('/') <= FileMapHandler::MaxDepth, qPrintable(path));
    QCOMPARE(handler.imageUrl("1.2.0", "VT4SD", "1", "2"),
             m_http->url(BasePath + "1.2.0/VT4SDM1V2_code.bin"));
}

void tst_FileMapHandler::filtersOfferNewestVersionsFirst_data()
{
    QTest::addColumn<QStringList>("choice");
    QTest::addColumn<QStringList>("modifications");
    QTest::addColumn<QStringList>("revisions");
    QTest::addColumn<QStringList>("versions");
    QTest::newRow("model only") << QStringList{"VT4SD", "", ""} << QStringList{"1", "2"} << QStringList{}
                                << QStringList{};
    QTest::newRow("full choice") << QStringList{"VT4SD", "1", "2"} << QStringList{"1", "2"}
                                 << QStringList{"2"} << QStringList{"1.10.0", "1.9.0", "1.3.0", "1.2.0"};
    QTest::newRow("from the nginx page") << QStringList{"VT4TD", "0", "3"} << QStringList{"0"}
                                         << QStringList{"1", "3"} << QStringList{"2.0.1", "2.0.0"};
    QTest::newRow("no model") << QStringList{"", "1", "2"} << QStringList{} << QStringList{} << QStringList{};
}

void tst_FileMapHandler::filtersOfferNewestVersionsFirst()
{
    QFETCH(QStringList, choice);
    QFETCH(QStringList, modifications);
    QFETCH(QStringList, revisions);
    QFETCH(QStringList, versions);
    if (!m_catalogue) {
        m_catalogue = std::make_unique<FileMapHandler>(m_http->url(BasePath), nullptr);
        QVERIFY(crawl(*m_catalogue));
    }
    QSignalSpy versionsChanged(m_catalogue.get(), &FileMapHandler::versionsChanged);
    m_catalogue->updateFilters(choice.at(0), choice.at(1), choice.at(2));
    QCOMPARE(m_catalogue->modifications(), modifications);
    QCOMPARE(m_catalogue->revisions(), revisions);
    QCOMPARE(m_catalogue->versions(), versions);
    QCOMPARE(versionsChanged.count(), 1);
}

void tst_FileMapHandler::unreachableOrEmptyServerEndsTheCrawl()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 deadPort = closed.serverPort();
    closed.close();
    FileMapHandler unreachable(QStringLiteral("http://127.0.0.1:%1/%2").arg(deadPort).arg(BasePath), nullptr);
    QSignalSpy errors(&unreachable, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(unreachable));
    QCOMPARE(errors.count(), 1);
    QVERIFY(errors.first().at(0).toString().startsWith(QStringLiteral("Error loading http://127.0.0.1:")));

    // A missing directory is no error: the catalogue is just empty.
    FileMapHandler missing(m_http->url("nothing/here/"), nullptr);
    QSignalSpy none(&missing, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(missing));
    QCOMPARE(none.count(), 0);
    QVERIFY(missing.imagePaths().isEmpty());
}

void tst_FileMapHandler::oversizedListingsAreCut()
{
    FileMapHandler huge(m_http->url("huge/"), nullptr);
    QSignalSpy hugeErrors(&huge, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(huge));
    QCOMPARE(hugeErrors.count(), 1);
    QVERIFY(hugeErrors.first().at(0).toString().endsWith(QStringLiteral("the listing is larger than 2 MB")));

    FileMapHandler many(m_http->url("many/"), nullptr);
    QSignalSpy manyErrors(&many, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(many));
    QCOMPARE(manyErrors.count(), 1);
    QVERIFY(manyErrors.first().at(0).toString().endsWith(QStringLiteral("the rest is skipped")));
}

void tst_FileMapHandler::silentServerFailsAndCancelEndsQuietly()
{
    QTcpServer silent; // accepts and never answers
    QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
    const QString url = QStringLiteral("http://127.0.0.1:%1/%2").arg(silent.serverPort()).arg(BasePath);
    FileMapHandler handler(url, nullptr);
    handler.setRequestTimeout(300);
    QSignalSpy errors(&handler, &FileMapHandler::errorOccurred);
    QVERIFY(crawl(handler));
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.first().at(0).toString(),
             QStringLiteral("Error loading %1: no answer from the firmware server within 0.3 s").arg(url));

    QSignalSpy finished(&handler, &FileMapHandler::loadingFinished);
    handler.loadFileMap();
    handler.cancelLoading();
    QVERIFY(!handler.loading());
    QTest::qWait(600); // the abandoned request times out meanwhile
    QCOMPARE(finished.count(), 0);
    QCOMPARE(errors.count(), 1);
}

QTEST_GUILESS_MAIN(tst_FileMapHandler)
#include "tst_FileMapHandler.moc"
