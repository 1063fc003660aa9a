#include "UserFolders.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

/// What a name typed into a file dialog means, and where the dialogs start.
class tst_UserFolders : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedNames_data();
    void typedNames();
    void startsInTheLastFolderWhileItExists();

private:
    QTemporaryDir m_home;
};

void tst_UserFolders::initTestCase()
{
    QVERIFY(m_home.isValid());
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", m_home.filePath("config").toLocal8Bit());
}

void tst_UserFolders::typedNames_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("path");
    QTest::newRow("bare name gets the suffix") << "run"
                                               << "json"
                                               << "/data/lab/run.json";
    QTest::newRow("own suffix kept") << "run.txt"
                                     << "json"
                                     << "/data/lab/run.txt";
    QTest::newRow("opening adds none") << "run"
                                       << ""
                                       << "/data/lab/run";
    QTest::newRow("absolute path as typed") << "/srv/other/x.json"
                                            << "json"
                                            << "/srv/other/x.json";
    QTest::newRow("from home") << "~/x"
                               << "json" << QDir::homePath() + "/x.json";
    QTest::newRow("relative parts resolved") << " sub/../x.json "
                                             << "json"
                                             << "/data/lab/x.json";
}

void tst_UserFolders::typedNames()
{
    QFETCH(QString, typed);
    QFETCH(QString, suffix);
    QFETCH(QString, path);
    QCOMPARE(UserFolders::resolve("/data/lab", typed, suffix), path);
}

void tst_UserFolders::startsInTheLastFolderWhileItExists()
{
    UserFolders folders;
    QCOMPARE(folders.startFolder("presets", true), QDir::homePath()); // no documents folder yet
    const QString documents = m_home.filePath("Documents");
    QVERIFY(QDir().mkpath(documents));
    QCOMPARE(folders.startFolder("presets", true), documents);
    const QString last = m_home.filePath("runs/today");
    QVERIFY(QDir().mkpath(last));
    folders.remember("presets", last);
    QCOMPARE(UserFolders().startFolder("presets", false), last);
    QCOMPARE(folders.startFolder("data", true), documents); // each kind its own
    QVERIFY(QDir(last).removeRecursively());
    QCOMPARE(folders.startFolder("presets", true), documents);
}

QTEST_GUILESS_MAIN(tst_UserFolders)
#include "tst_UserFolders.moc"
