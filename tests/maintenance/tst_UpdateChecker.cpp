#include "UpdateChecker.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int WaitMs = 10000;
} // namespace

/// The update check against an updater script that reports an update, reports none, fails,
/// or hangs; and a hand-over that cannot start.
class tst_UpdateChecker : public QObject
{
    Q_OBJECT

private slots:
    void checkReadsTheUpdatersReport_data();
    void checkReadsTheUpdatersReport();
    void startUpdateStaysWhenTheUpdaterCannotStart();

private:
    QTemporaryDir m_dir;
};

void tst_UpdateChecker::checkReadsTheUpdatersReport_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("version"); ///< expected, empty: no update
    QTest::addColumn<QString>("failure"); ///< expected checkFailed text, empty: none

    QTest::newRow("update, in two chunks")
        << QByteArray("printf 'Checking... version='; sleep 0.2; echo '\"1.3.2-5\" found'") << "1.3.2-5"
        << "";
    QTest::newRow("no update") << QByteArray("echo 'Your program is up to date'") << ""
                               << "";
    QTest::newRow("malformed version") << QByteArray("echo 'version=\"1.3\"'") << ""
                                       << "";
    QTest::newRow("fails") << QByteArray("echo 'no network' >&2; exit 3") << ""
                           << "Process finished with error code: no network\n";
    QTest::newRow("hangs") << QByteArray("sleep 30") << ""
                           << "Tine out";
}

void tst_UpdateChecker::checkReadsTheUpdatersReport()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, version);
    QFETCH(QString, failure);
    QVERIFY(m_dir.isValid());
    const QString path =
        m_dir.filePath(QString("Updater-%1.exe").arg(QTest::currentDataTag()).replace(' ', '-'));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("#!/bin/sh\n" + script + "\n") > 0);
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));

    UpdateChecker *checker = UpdateChecker::instance();
    checker->setUpdaterPath(path);
    checker->setCheckTimeout(2000);
    QSignalSpy failed(checker, &UpdateChecker::checkFailed);
    QSignalSpy available(checker, &UpdateChecker::updateAvailableChanged);
    QElapsedTimer blocked;
    blocked.start();
    checker->checkAvailableUpdates();
    QVERIFY(blocked.elapsed() < 200); // the check never holds the GUI thread
    if (!version.isEmpty()) {
        QVERIFY(available.wait(WaitMs));
        QCOMPARE(checker->newVersion(), version);
        QVERIFY(checker->updateAvailable());
    } else if (!failure.isEmpty()) {
        QVERIFY(failed.wait(WaitMs));
        QCOMPARE(failed.first().at(0).toString(), failure);
    } else {
        QVERIFY(!available.wait(1000));
        QCOMPARE(failed.count(), 0);
    }
}

void tst_UpdateChecker::startUpdateStaysWhenTheUpdaterCannotStart()
{
    UpdateChecker *checker = UpdateChecker::instance();
    checker->setUpdaterPath(m_dir.filePath("absent/Updater.exe"));
    QSignalSpy failed(checker, &UpdateChecker::checkFailed);
    checker->startUpdate();
    QCOMPARE(failed.count(), 1);
    QVERIFY(failed.first().at(0).toString().contains(QStringLiteral("absent/Updater.exe")));
}

QTEST_GUILESS_MAIN(tst_UpdateChecker)
#include "tst_UpdateChecker.moc"
