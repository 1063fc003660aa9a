#include "DataProviderList.h"
#include "FacadeOnSimulator.h"
#include "PresetFile.h"
#include "SeriesExporter.h"
#include "Settings.h"
#include "TraceLogger.h"
#include "WorkerAsync.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QLineSeries>

#include <sys/stat.h>

namespace {
constexpr int ConnectWaitMs = 30000;
using Column = SeriesExporter::Column;

QByteArray readAll(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &fileName, const QByteArray &contents)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

DataProviderItem sspdItem(int address, bool restore)
{
    DataProviderItem item;
    item.append("address", address);
    item.append("type", int(DataProviderList::DeviceTypeSspdM0));
    item.append("restore", restore);
    item.append("Firmware", "1.4.2");
    item.append("UDID", "5654-5344-0001-2019-0A11-0001");
    item.append("Description", "SSPD driver, channel A");
    item.append("current", 1.5e-5);
    item.append("cmp_ref_level", 0.1);
    return item;
}
} // namespace

/// Presets files and series exports: their bytes, the bad files they must refuse, safe saving,
/// and a presets round trip through the facade against the simulated crate.
class tst_PresetsAndExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup() { WorkerAsync::destroyInstance(); }

    void seriesFiles_data();
    void seriesFiles();
    void histogramFilesHoldTheBins();
    void presetsKeepTextAsText();
    void badPresetFilesChangeNothing_data();
    void badPresetFilesChangeNothing();
    void failedSavesKeepTheOldFile();
    void presetsRoundTripThroughTheCrate();
    void pausedViewCatchesUpWhileTheLogKeepsEveryPoint();
    void describedExportCarriesMeasuredZerosAndLatchedMarks();

private:
    QTemporaryDir m_dir;
};

void tst_PresetsAndExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    qputenv("XDG_CONFIG_HOME", m_dir.path().toLocal8Bit());
}

void tst_PresetsAndExport::seriesFiles_data()
{
    QTest::addColumn<QList<Column>>("columns");
    QTest::addColumn<QByteArray>("bytes");

    const QList<QPointF> two{{1, 2}, {3, 4.5}};
    QTest::newRow("one series") << QList<Column>{{"", two}}
                                << QByteArray("1.000000\t2.000000\r\n"
                                              "3.000000\t4.500000\r\n");
    QTest::newRow("rounding and sign") << QList<Column>{{"", {{-0.5, 1e-7}, {123456.0000004, 2.5e-6}}}}
                                       << QByteArray("-0.500000\t0.000000\r\n"
                                                     "123456.000000\t0.000003\r\n");
    QTest::newRow("three and one points")
        << QList<Column>{{"SSPD 1", {{1, 10}, {2, 20}, {3, 30}}}, {"SSPD 2", {{5, 0.25}}}}
        << QByteArray("|SSPD 1|\t|SSPD 2|\t\r\n"
                      "1.000000\t10.000000\t5.000000\t0.250000\t\r\n"
                      "2.000000\t20.000000\t---\t---\t\r\n"
                      "3.000000\t30.000000\t---\t---\t\r\n");
    QTest::newRow("short series first") << QList<Column>{{"a", {}}, {"b", {{0, 1}}}}
                                        << QByteArray("|a|\t|b|\t\r\n"
                                                      "---\t---\t0.000000\t1.000000\t\r\n");
}

void tst_PresetsAndExport::seriesFiles()
{
    QFETCH(QList<Column>, columns);
    QFETCH(QByteArray, bytes);
    const QString single = m_dir.filePath("single.txt");
    const QString several = m_dir.filePath("several.txt");
    QFile::remove(several);
    WorkerAsync *facade = WorkerAsync::instance();

    // The files are written through the facade, from real chart series.
    QList<QLineSeries *> series;
    QVariantList seriesList{QVariant::fromValue<QObject *>(facade)}; // not a series: skipped
    for (const Column &column : columns) {
        series << new QLineSeries(this);
        series.last()->setName(column.name);
        series.last()->append(column.points);
        seriesList << QVariant::fromValue<QObject *>(series.last());
    }
    if (columns.size() == 1) {
        facade->saveSeries(series.first(), single);
        QCOMPARE(readAll(single), bytes);
    } else {
        facade->saveMultipleSeries(seriesList, several);
        QCOMPARE(readAll(several), bytes);
    }
    qDeleteAll(series);
}

void tst_PresetsAndExport::histogramFilesHoldTheBins()
{
    // Two bins of 100 cps from 0, drawn as four points each; a file holds each bin's middle and count.
    QLineSeries bars;
    bars.append({{5, 0}, {5, 3}, {95, 3}, {95, 0}, {105, 0}, {105, 1}, {195, 1}, {195, 0}});
    QAreaSeries histogram(&bars);
    histogram.setName("SSPD 1");
    QLineSeries trace;
    trace.setName("SSPD 2");
    trace.append(7, 8);
    WorkerAsync *facade = WorkerAsync::instance();
    const QString single = m_dir.filePath("histogram.txt");
    facade->saveSeries(&histogram, single);
    QCOMPARE(readAll(single), QByteArray("50.000000\t3.000000\r\n"
                                         "150.000000\t1.000000\r\n"));
    const QString several = m_dir.filePath("histograms.txt");
    facade->saveMultipleSeries({QVariant::fromValue<QObject *>(&histogram), QVariant::fromValue<QObject *>(&trace)},
                               several);
    QCOMPARE(readAll(several), QByteArray("|SSPD 1|\t|SSPD 2|\t\r\n"
                                          "50.000000\t3.000000\t7.000000\t8.000000\t\r\n"
                                          "150.000000\t1.000000\t---\t---\t\r\n"));
    const QString described = m_dir.filePath("described.txt");
    facade->saveDescribedSeries({QVariant::fromValue<QObject *>(&histogram)}, "cps", "Counts", described);
    QVERIFY2(readAll(described).endsWith("\r\n50.000000\t3.000000\r\n150.000000\t1.000000\r\n"),
             readAll(described).constData());
}

void tst_PresetsAndExport::presetsKeepTextAsText()
{
    DataProviderItem temperature;
    temperature.append("address", 5);
    temperature.append("type", int(DataProviderList::DeviceTypeTempM0));
    temperature.append("restore", false);
    const QByteArray json = PresetFile::document({sspdItem(1, true), temperature, sspdItem(2, true)});
    QVERIFY(json.contains("\n    \"data\": [")); // indented

    const QJsonArray modules = QJsonDocument::fromJson(json).object().value("data").toArray();
    QCOMPARE(modules.size(), 2);
    const QJsonObject first = modules.at(0).toObject();
    QCOMPARE(first.value("Firmware"), QJsonValue("1.4.2"));
    QCOMPARE(first.value("UDID"), QJsonValue("5654-5344-0001-2019-0A11-0001"));
    QCOMPARE(first.value("Description"), QJsonValue("SSPD driver, channel A"));
    QCOMPARE(first.value("current"), QJsonValue(1.5e-5));
    QCOMPARE(first.value("type"), QJsonValue(0));
    QCOMPARE(first.value("restore"), QJsonValue(1)); // switches stay numbers, as older files hold them
    QCOMPARE(modules.at(1).toObject().value("address"), QJsonValue(2));

    QList<PresetFile::ChannelPreset> channels;
    QVERIFY(PresetFile::channelsOf(json, &channels).isEmpty());
    QCOMPARE(channels.size(), 2);
    QCOMPARE(channels.at(1).address, 2);
    QCOMPARE(channels.at(1).current, 1.5e-5);
    QCOMPARE(channels.at(1).level, 0.1);

    // Nothing marked: no file at all.
    const QString fileName = m_dir.filePath("none.json");
    QCOMPARE(PresetFile::save({sspdItem(1, false), temperature}, fileName),
             QStringLiteral("No channels selected for preset save"));
    QVERIFY(!QFile::exists(fileName));
}

void tst_PresetsAndExport::badPresetFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("channels");

    QTest::newRow("no data") << QByteArray(R"({"modules": []})")
                             << QStringLiteral("Wrong data. Missed \"data\" member.") << 0;
    QTest::newRow("data not a list") << QByteArray(R"({"data": {"address": 1, "type": 0}})")
                                     << QStringLiteral(
                                            "Wrong data. The \"data\" member is not a list of modules.")
                                     << 0;
    QTest::newRow("not JSON") << QByteArray("{\"data\": [") << QStringLiteral("not valid JSON") << 0;
    QTest::newRow("other module types skipped")
        << QByteArray(R"({"data": [{"address": 5, "type": 2, "current": 1}, {"address": 6, "type": 7},
                                   {"address": 7}, 12, {"address": 300, "type": 1}]})")
        << QString() << 0;
    // As earlier versions wrote them: every text as 0, switches as numbers.
    QTest::newRow("file of earlier versions")
        << QByteArray(R"({"data": [{"Firmware": 0, "UDID": 0, "address": 3, "type": 1, "restore": 1,
                                   "current": 2.1e-05, "cmp_ref_level": 0.25}]})")
        << QString() << 1;
}

void tst_PresetsAndExport::badPresetFilesChangeNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(QString, error);
    QFETCH(int, channels);
    const QString fileName = m_dir.filePath("bad.json");
    QVERIFY(writeFile(fileName, contents));
    QList<PresetFile::ChannelPreset> found;
    const QString text = PresetFile::load(fileName, &found);
    QVERIFY2(error.isEmpty() ? text.isEmpty() : text.contains(error), qPrintable(text));
    QCOMPARE(found.size(), channels);
}

void tst_PresetsAndExport::failedSavesKeepTheOldFile()
{
    WorkerAsync *facade = WorkerAsync::instance();
    QSignalSpy errors(facade, &WorkerAsync::sendErrorMessage);
    QLineSeries series;
    series.append(1, 2);

    const QString missingFolder = m_dir.filePath("no/such/folder/out.txt");
    facade->saveSeries(&series, missingFolder);
    QCOMPARE(errors.size(), 1);
    QCOMPARE(errors.at(0).at(0).toString(), QStringLiteral("ERROR!"));
    QCOMPARE(errors.at(0).at(1).toString(), QStringLiteral("Couldn't open file: %1").arg(missingFolder));

    // Replacing a file goes through a temporary file: the old one stays whole until the new one
    // is complete, and no temporary file is left behind.
    const QString fileName = m_dir.filePath("kept.txt");
    QVERIFY(writeFile(fileName, "old contents"));
    facade->saveSeries(&series, fileName);
    QCOMPARE(readAll(fileName), QByteArray("1.000000\t2.000000\r\n"));
    QCOMPARE(QDir(m_dir.path()).entryList({"kept.txt*"}, QDir::Files), QStringList{"kept.txt"});

    // Missing, oversized and unreadable presets files are refused before anything is sent.
    const QString huge = m_dir.filePath("huge.json");
    QFile file(huge);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(100LL * 1024 * 1024));
    file.close();
    // A device or a FIFO is refused before it is read: neither ends, and opening a FIFO waits.
    const QString zero = m_dir.filePath("zero.json");
    const QString fifo = m_dir.filePath("fifo.json");
    QVERIFY(QFile::link("/dev/zero", zero));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &name : {huge, m_dir.filePath("missing.json"), zero, fifo}) {
        facade->restorePresets(name);
        QVERIFY(errors.last().at(1).toString().contains(name));
    }
    QCOMPARE(errors.size(), 5);
    QVERIFY(errors.at(3).at(1).toString().contains("not a regular file"));
    facade->saveSeries(&series, fifo); // not replaced by a plain file
    QVERIFY(errors.last().at(1).toString().endsWith(fifo + " (not a regular file)"));
    QVERIFY(QFileInfo::exists(fifo) && !QFileInfo(fifo).isFile());
    facade->startTraceLog(fifo, "Time, hh:mm:ss", "Counts, cps"); // at once, without a reader
    QVERIFY(!facade->traceLog()->active() && errors.last().at(1).toString().endsWith("(not a regular file)"));
    QFile::remove(huge);
}

void tst_PresetsAndExport::presetsRoundTripThroughTheCrate()
{
    SimulatorProcess simulator;
    QVERIFY(connectFacadeToSimulator(simulator, ConnectWaitMs));
    WorkerAsync *facade = WorkerAsync::instance();
    facade->activateMode(WorkerAsync::WorkerModeAllChannels);

    auto value = [facade](int address, const char *name) {
        for (const DataProviderItem &item : facade->dataList()->items()) {
            if (item.byName("address").toInt() == address)
                return item.byName(name).toDouble();
        }
        return qQNaN();
    };
    auto near = [](double a, double b) { return qAbs(a - b) < 1e-3 * qAbs(b); };
    // Modules 1 (M0) and 3 (M1) get their own settings; the temperature module 5 is marked too.
    facade->setParameter(1, "current", 12e-6);
    facade->setParameter(1, "cmp_ref_level", 0.15);
    facade->setParameter(3, "current", 17e-6);
    facade->setParameter(3, "cmp_ref_level", 0.3);
    QTRY_VERIFY_WITH_TIMEOUT(near(value(1, "current"), 12e-6) && near(value(3, "cmp_ref_level"), 0.3) &&
                                 near(value(1, "cmp_ref_level"), 0.15) && near(value(3, "current"), 17e-6),
                             ConnectWaitMs);
    const QList<DataProviderItem> items = facade->dataList()->items();
    for (int i = 0; i < items.size(); ++i) {
        DataProviderItem item = items.at(i);
        item.setValue("restore", QList<int>{1, 3, 5}.contains(item.byName("address").toInt()));
        facade->dataList()->setItemAt(i, item);
    }
    const QString fileName = m_dir.filePath("preset.json");
    facade->savePresets(fileName);
    QVERIFY(readAll(fileName).contains("\"Firmware\": \"2.0.1\""));

    for (int address : {1, 3}) {
        facade->setParameter(address, "current", 5e-6);
        facade->setParameter(address, "cmp_ref_level", 0.05);
    }
    facade->setParameter(2, "current", 8e-6);
    QTRY_VERIFY_WITH_TIMEOUT(near(value(1, "current"), 5e-6) && near(value(3, "cmp_ref_level"), 0.05) &&
                                 near(value(2, "current"), 8e-6),
                             ConnectWaitMs);
    facade->restorePresets(fileName);
    QTRY_VERIFY_WITH_TIMEOUT(near(value(1, "current"), 12e-6) && near(value(3, "cmp_ref_level"), 0.3) &&
                                 near(value(1, "cmp_ref_level"), 0.15) && near(value(3, "current"), 17e-6),
                             ConnectWaitMs);
    QVERIFY(near(value(2, "current"), 8e-6)); // not in the file: left alone

    // Values the parameter panel would refuse are refused by name; the rest of the file applies.
    QSignalSpy errors(facade, &WorkerAsync::sendErrorMessage);
    const QString outOfRange = m_dir.filePath("out-of-range.json");
    QVERIFY(
        writeFile(outOfRange, R"({"data": [{"address": 1, "type": 0, "current": 0.5, "cmp_ref_level": 0.1},
                                              {"address": 3, "type": 1, "current": 1e-5, "cmp_ref_level": -40},
                                              {"address": 2, "type": 0, "current": 1e300},
                                              {"address": 2, "type": 0, "current": 9e-6, "cmp_ref_level": 0.2}]})"));
    facade->restorePresets(outOfRange);
    QCOMPARE(errors.size(), 1);
    const QString refused = errors.at(0).at(1).toString();
    for (const char *part :
         {"SSPD 1: Current (μA) 500000 is outside -100 to 100",
          "SSPD 3: Trigger (mV) -40000 is outside -100 to 1000", "SSPD 2: Current (μA) 1e+306"})
        QVERIFY2(refused.contains(QString::fromUtf8(part)), qPrintable(refused));
    QTRY_VERIFY_WITH_TIMEOUT(near(value(2, "cmp_ref_level"), 0.2), ConnectWaitMs);
    QVERIFY(near(value(1, "current"), 12e-6) && near(value(3, "cmp_ref_level"), 0.3));
}

void tst_PresetsAndExport::pausedViewCatchesUpWhileTheLogKeepsEveryPoint()
{
    WorkerAsync *facade = WorkerAsync::instance();
    DataProviderItem module = sspdItem(3, false);
    module.append("time_const", 0.5);
    facade->dataList()->appendItem(module);
    QLineSeries trace;
    trace.setName("SSPD 3");
    facade->settings()->setSeries({&trace});
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    auto report = [facade](double cps) {
        const QVariantHash values{{"cps", cps}};
        QMetaObject::invokeMethod(facade, "updateData", Q_ARG(int, 3), Q_ARG(QVariantHash, values));
    };

    const QString log = m_dir.filePath("trace.log");
    facade->startTraceLog(log, "Time, hh:mm:ss", "Counts, cps");
    QVERIFY(facade->traceLog()->active());
    report(10);
    facade->setPlotPaused(true);
    report(20);
    report(30);
    QCOMPARE(trace.count(), 1); // the view stands still ...
    const QList<QByteArray> lines = readAll(log).split('\n');
    QCOMPARE(lines.size(), 10); // ... the log does not: header, three points, end of the last line
    QCOMPARE(lines.at(0), QByteArray("# VantrelLab 1.3.1\r"));
    // The values are what the chart holds, not the hh:mm:ss it shows.
    QCOMPARE(lines.at(1), QByteArray("# x: time, milliseconds since 1970-01-01 00:00:00 UTC\r"));
    QVERIFY(lines.at(3).startsWith("# start: 20"));
    // The trace runs every channel at the chart's time constant, whatever the module had before.
    QCOMPARE(lines.at(4), QByteArray("# SSPD 3: bias 15.000000 \u03bcA, trigger 100.000000 mV, "
                                     "time constant 1.000000 s\r"));
    QCOMPARE(lines.at(5), QByteArray("# columns: channel, x, y\r"));
    QVERIFY(lines.at(8).startsWith("SSPD 3\t") && lines.at(8).endsWith("\t30.000000\r"));

    facade->setPlotPaused(false);
    QCOMPARE(trace.count(), 3);
    QCOMPARE(trace.at(2).y(), 30.0);

    // A new time constant, and a channel added before the trace starts again, are noted.
    facade->settings()->setTimeConstant(0.5);
    DataProviderItem added = sspdItem(4, false);
    added.setValue("current", 2e-5);
    facade->dataList()->appendItem(added);
    QLineSeries addedTrace;
    addedTrace.setName("SSPD 4");
    facade->settings()->setSeries({&trace, &addedTrace});
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    const QList<QByteArray> later = readAll(log).split('\n').mid(9);
    QCOMPARE(later.size(), 5);
    QVERIFY2(later.at(0).endsWith("Z: time constant 0.5 s\r"), later.at(0).constData());
    QVERIFY(later.at(1).startsWith("# start: 20"));
    QVERIFY(later.at(2).endsWith("time constant 0.500000 s\r"));
    QVERIFY(later.at(3).startsWith("# SSPD 4: bias 20.000000 \u03bcA"));

    facade->traceLog()->stop();
    report(40);
    QCOMPARE(readAll(log).count('\n'), 13);

    // The described export puts the same header above the plain format.
    const QString described = m_dir.filePath("described.txt");
    facade->saveDescribedSeries({QVariant::fromValue<QObject *>(&trace)}, "Time, hh:mm:ss", "Counts, cps",
                                described);
    const QByteArray text = readAll(described);
    QVERIFY(text.startsWith(lines.at(0) + '\n' + lines.at(1) + '\n'));
    QVERIFY(text.endsWith("\t40.000000\r\n") && !text.contains("columns"));
}

void tst_PresetsAndExport::describedExportCarriesMeasuredZerosAndLatchedMarks()
{
    WorkerAsync *facade = WorkerAsync::instance();
    facade->dataList()->appendItem(sspdItem(3, false));
    facade->dataList()->appendItem(sspdItem(4, false));
    QLineSeries latched;
    latched.setName("SSPD 3");
    QLineSeries dark;
    dark.setName("SSPD 4");
    facade->settings()->setSeries({&latched, &dark});
    facade->activateMode(WorkerAsync::WorkerModeCpsVersTime);
    // Channel 3 latched then counting; channel 4 counting nothing.
    const QList<std::tuple<int, double, bool>> reports{{3, 0.0, true}, {3, 5.0, false}, {4, 0.0, false}};
    for (const auto &[address, cps, isLatched] : reports) {
        const QVariantHash values{{"cps", cps}, {"latched", isLatched}};
        QMetaObject::invokeMethod(facade, "updateData", Q_ARG(int, address), Q_ARG(QVariantHash, values));
    }
    QCOMPARE(latched.at(0).y(), WorkerAsync::LeastCountRate); // the drawing keeps its log floor
    QCOMPARE(facade->latchedFlags(&latched, latched.points()), (QList<bool>{true, false}));

    const QString described = m_dir.filePath("zeros.txt");
    facade->saveDescribedSeries(
        {QVariant::fromValue<QObject *>(&latched), QVariant::fromValue<QObject *>(&dark)}, "Time, hh:mm:ss",
        "Counts, cps", described);
    const QList<QByteArray> lines = readAll(described).split('\n');
    QVERIFY(lines.contains("# latched: the third value of a point, 1 where the detector was latched (it "
                           "counted nothing)\r"));
    const QByteArray first = lines.at(lines.size() - 3);
    const QByteArray second = lines.at(lines.size() - 2);
    const QByteArray x = QByteArray::number(dark.at(0).x(), 'f', 6);
    QVERIFY2(first.endsWith("\t0.000000\t1\t" + x + "\t0.000000\t\r"), first.constData());
    QVERIFY2(second.endsWith("\t5.000000\t0\t---\t---\t\r"), second.constData());

    // The plain format keeps its rule: what the chart holds.
    const QString plain = m_dir.filePath("plain.txt");
    facade->saveSeries(&dark, plain);
    QCOMPARE(readAll(plain), x + "\t0.000010\r\n");
}

QTEST_MAIN(tst_PresetsAndExport)
#include "tst_PresetsAndExport.moc"
