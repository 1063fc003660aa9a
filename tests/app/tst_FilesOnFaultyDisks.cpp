#include "CalibrationPair.h"
#include "DataProviderList.h"
#include "EepromDataStorage.h"
#include "TraceLogger.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QLineSeries>

#include <cstdlib>
#include <unistd.h>

namespace {
/// Set once the test runs again inside its own mount namespace ("1") or could not ("0").
const char *const PrivateMountsVariable = "VT_TEST_PRIVATE_MOUNTS";
constexpr int TmpfsKiB = 256;
constexpr int MaxLinesInAPage = 4096 / 20; ///< a point's line takes more than 20 bytes

bool run(const QString &program, const QStringList &arguments)
{
    return QProcess::execute(program, arguments) == 0;
}

/// Fills the filesystem of `folder` until a write fails for want of space.
bool fill(const QString &folder)
{
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    // Whatever part of a block still fits, so that not one byte more does.
    filler.unsetError();
    while (filler.write(block.left(1)) == 1 && filler.flush()) {
    }
    return true;
}

QByteArray contentsOf(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

/// Saving onto a full and onto a read-only filesystem: every kind of user file keeps its old
/// contents and the save says why it failed; a trace log that runs out of space stops and says
/// so. The filesystems are a tmpfs and a read-only bind mount in the test's own mount namespace.
class tst_FilesOnFaultyDisks : public QObject
{
    Q_OBJECT

public:
    enum Writer
    {
        SeriesExport,
        Presets,
        Calibration,
        TraceLogStart
    };
    Q_ENUM(Writer)

private slots:
    void initTestCase();
    void cleanupTestCase();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void traceLogStopsWhenTheDiskFills();

private:
    /// The save's error text: a facade's "ERROR!" message or the calibration storage's.
    QString save(Writer writer, const QString &fileName);

    QTemporaryDir m_dir;
    QString m_full;
    QString m_readOnly;
    QString m_filling;
    QLineSeries m_series;
};

void tst_FilesOnFaultyDisks::initTestCase()
{
    if (qgetenv(PrivateMountsVariable) != "1")
        QSKIP("no private mount namespace here (unshare -rm is not permitted)");
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
    m_full = m_dir.filePath(QStringLiteral("full"));
    m_readOnly = m_dir.filePath(QStringLiteral("read-only"));
    m_filling = m_dir.filePath(QStringLiteral("filling"));
    for (const QString &folder : {m_full, m_readOnly, m_filling}) {
        QVERIFY(QDir().mkpath(folder));
        if (folder != m_readOnly)
            QVERIFY(run("mount",
                        {"-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(TmpfsKiB), "tmpfs", folder}));
    }
    const QMetaEnum writers = QMetaEnum::fromType<Writer>();
    // Every saver but the log (which starts a new file) has an old file to keep.
    for (int i = 0; i < writers.keyCount() && writers.value(i) != TraceLogStart; ++i) {
        for (const QString &folder : {m_full, m_readOnly}) {
            QFile old(folder + QLatin1Char('/') + QLatin1String(writers.key(i)));
            QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old contents") == 12);
        }
    }
    QVERIFY(fill(m_full));
    QVERIFY(run("mount", {"--bind", m_readOnly, m_readOnly}));
    QVERIFY(run("mount", {"-o", "remount,bind,ro", m_readOnly}));

    m_series.setName(QStringLiteral("SSPD 1"));
    for (int i = 0; i < 100; ++i)
        m_series.append(i, i * 10);
    DataProviderItem module;
    module.append(QStringLiteral("address"), 1);
    module.append(QStringLiteral("type"), int(DataProviderList::DeviceTypeSspdM0));
    module.append(QStringLiteral("restore"), true);
    WorkerAsync::instance()->dataList()->appendItem(module);
}

void tst_FilesOnFaultyDisks::cleanupTestCase()
{
    WorkerAsync::destroyInstance();
    for (const QString &folder : {m_full, m_readOnly, m_filling})
        run("umount", {folder});
}

QString tst_FilesOnFaultyDisks::save(Writer writer, const QString &fileName)
{
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy errors(facade, &WorkerAsync::sendErrorMessage);
    switch (writer) {
    case SeriesExport:
        facade->saveSeries(&m_series, fileName);
        break;
    case Presets:
        facade->savePresets(fileName);
        break;
    case Calibration: {
        EepromDataStorage storage;
        storage.initialize({{"type", 0},
                            {"address", 1},
                            {"type_str", "VT4SDM0"},
                            {"UDID", "0011-2233-4455-6677-8899-AABB"},
                            {"Current_ADC", QVariant::fromValue(CalibrationPair(1, 2))}});
        QSignalSpy fileErrors(&storage, &EepromDataStorage::fileError);
        storage.saveToFile(fileName);
        return fileErrors.isEmpty() ? QString() : fileErrors.first().first().toString();
    }
    case TraceLogStart:
        facade->startTraceLog(fileName, QStringLiteral("Time, hh:mm:ss"), QStringLiteral("cps"));
        facade->traceLog()->stop();
        break;
    }
    if (errors.isEmpty())
        return {};
    return errors.first().at(0).toString() + QLatin1Char(' ') + errors.first().at(1).toString();
}

void tst_FilesOnFaultyDisks::failedSaveKeepsTheOldFile_data()
{
    QTest::addColumn<Writer>("writer");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("reason");
    const QMetaEnum writers = QMetaEnum::fromType<Writer>();
    for (int i = 0; i < writers.keyCount(); ++i) {
        const Writer writer = Writer(writers.value(i));
        QTest::addRow("%s on a full disk", writers.key(i))
            << writer << false << QStringLiteral("No space left");
        QTest::addRow("%s on a read-only disk", writers.key(i))
            << writer << true << QStringLiteral("Couldn't open");
    }
}

void tst_FilesOnFaultyDisks::failedSaveKeepsTheOldFile()
{
    QFETCH(Writer, writer);
    QFETCH(bool, readOnly);
    QFETCH(QString, reason);
    const QString folder = readOnly ? m_readOnly : m_full;
    const QString fileName =
        folder + QLatin1Char('/') + QLatin1String(QMetaEnum::fromType<Writer>().valueToKey(writer));
    const QString error = save(writer, fileName);
    QVERIFY2(error.contains(reason) && error.contains(fileName), qPrintable(error));
    if (writer != Calibration)
        QVERIFY2(error.startsWith(QLatin1String("ERROR! ")), qPrintable(error));
    if (writer != TraceLogStart)
        QCOMPARE(contentsOf(fileName), QByteArray("old contents"));
    const QStringList left = QDir(folder).entryList(QDir::Files);
    QVERIFY2(left.filter(QStringLiteral(".")).isEmpty(), qPrintable(left.join(' '))); // no temporary file
}

void tst_FilesOnFaultyDisks::traceLogStopsWhenTheDiskFills()
{
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy errors(facade, &WorkerAsync::sendErrorMessage);
    const QString log = m_filling + QStringLiteral("/trace.log");
    facade->startTraceLog(log, QStringLiteral("Time, hh:mm:ss"), QStringLiteral("cps"));
    TraceLogger *logger = facade->traceLog();
    QVERIFY(logger->active());
    logger->append(QStringLiteral("SSPD 1"), 1, 2);
    QCOMPARE(errors.size(), 0);
    QVERIFY(fill(m_filling));
    // The log's last page may still take a few lines.
    for (int i = 0; i < MaxLinesInAPage && logger->active(); ++i)
        logger->append(QStringLiteral("SSPD 1"), 3, 4);
    QVERIFY(!logger->active());
    QCOMPARE(errors.size(), 1);
    QVERIFY2(logger->failure().contains(QLatin1String("No space left")) &&
                 logger->failure().endsWith(QLatin1String("logging stopped.")),
             qPrintable(logger->failure()));
    QCOMPARE(errors.first().at(1).toString(), logger->failure());
    logger->append(QStringLiteral("SSPD 1"), 5, 6);
    QCOMPARE(errors.size(), 1); // said once
    QVERIFY(contentsOf(log).contains("SSPD 1\t1.000000\t2.000000\r\n"));
}

int main(int argc, char **argv)
{
    // The test mounts filesystems of its own: it runs again inside a private mount namespace,
    // which ends with it.
    if (qgetenv(PrivateMountsVariable).isEmpty()) {
        const bool permitted = std::system("unshare -rm true >/dev/null 2>&1") == 0;
        qputenv(PrivateMountsVariable, permitted ? "1" : "0");
        if (permitted) {
            char self[4096] = {};
            if (::readlink("/proc/self/exe", self, sizeof self - 1) > 0) {
                std::vector<char *> arguments{const_cast<char *>("unshare"), const_cast<char *>("-rm"),
                                              const_cast<char *>("--"), self};
                arguments.insert(arguments.end(), argv + 1, argv + argc);
                arguments.push_back(nullptr);
                ::execvp("unshare", arguments.data());
            }
            qputenv(PrivateMountsVariable, "0");
        }
    }
    QApplication application(argc, argv);
    tst_FilesOnFaultyDisks test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_FilesOnFaultyDisks.moc"
