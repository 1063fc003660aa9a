#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000;
constexpr int ShowMs = 10000;
constexpr int DisplayStartAttempts = 3;
} // namespace

/// The file dialogs as a user meets them on a real display: they start in the documents folder,
/// a typed name and one Return save at once, an existing file is replaced only after a question,
/// a typed absolute path keeps its folder, and each kind of file reopens where it was saved.
class tst_FileDialogsOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void oneReturnSavesWhereTyped();
    void presetsSaveUnderTheirDefaultNameAndOpenByName();

private:
    /// Opens the chart toolbar's `entry` dialog and types `name` with one Return.
    bool typeIntoDialog(ProgramOnDisplay &program, const QString &opener, const QString &entry,
                        const QString &name);

    std::unique_ptr<XvfbDisplay> m_display;
    /// Each case runs the program afresh with a home folder of its own holding "Documents".
    std::unique_ptr<QTemporaryDir> m_home;
    QString m_documents;
    std::unique_ptr<SimulatorProcess> m_simulator;
    std::unique_ptr<ProgramOnDisplay> m_program;
};

void tst_FileDialogsOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    for (int attempt = 0; attempt < DisplayStartAttempts; ++attempt) {
        m_display =
            std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_FileDialogsOnDisplay"));
        if (m_display->start())
            return;
    }
    QFAIL(qPrintable(m_display->error()));
}

bool tst_FileDialogsOnDisplay::typeIntoDialog(ProgramOnDisplay &program, const QString &opener,
                                              const QString &entry, const QString &name)
{
    if (!program.click(opener) || (!entry.isEmpty() && !program.click(QStringLiteral("text=") + entry)))
        return false;
    // The offered name is selected: typing replaces it.
    return program.waitSettled(QStringLiteral("fileNameTextField")).found && m_display->type(name) &&
           m_display->keys({QStringLiteral("Return")});
}

void tst_FileDialogsOnDisplay::init()
{
    m_home = std::make_unique<QTemporaryDir>();
    QVERIFY(m_home->isValid());
    m_documents = m_home->filePath(QStringLiteral("Documents"));
    QVERIFY(QDir().mkpath(m_documents));
    m_simulator = std::make_unique<SimulatorProcess>();
    QVERIFY(m_simulator->start());
    m_program = std::make_unique<ProgramOnDisplay>(*m_display);
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("HOME"), m_home->path());
    QVERIFY(m_program->start(m_simulator->port(), environment));
    QVERIFY2(m_program->waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(m_program->output()));
}

void tst_FileDialogsOnDisplay::cleanup()
{
    m_program.reset();
    m_simulator.reset();
    m_home.reset();
}

void tst_FileDialogsOnDisplay::oneReturnSavesWhereTyped()
{
    ProgramOnDisplay &program = *m_program;
    const QString documents = m_documents;
    QVERIFY(program.click(QStringLiteral("plusButton")));
    QVERIFY(program.click(QStringLiteral("text=CPS(Current)")));
    QVERIFY(program.waitFor(QStringLiteral("saveButton"), ShowMs).found);

    // A bare name goes into the documents folder, with the kind's suffix, at the first Return.
    const QString drawing = documents + QStringLiteral("/sweep.svg");
    QVERIFY(typeIntoDialog(program, QStringLiteral("saveButton"), QStringLiteral("Drawing (SVG)..."),
                           QStringLiteral("sweep")));
    const bool saved = QTest::qWaitFor([&] { return QFileInfo::exists(drawing); }, ShowMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("saved-by-name")).isEmpty());
    QVERIFY2(saved, qPrintable(program.output()));
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("fileNameTextField")).found, ShowMs);

    // The same name again: nothing is replaced before the user says so.
    QFile old(drawing);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old drawing") > 0);
    old.close();
    QVERIFY(program.click(QStringLiteral("saveButton")));
    QVERIFY(program.click(QStringLiteral("text=Drawing (SVG)...")));
    const ProgramOnDisplay::Item accept = program.waitSettled(QStringLiteral("fileChooserAccept"));
    QCOMPARE(accept.text, QStringLiteral("Save"));
    QCOMPARE(program.find(QStringLiteral("fileChooserFolder")).text, documents);
    QVERIFY(m_display->type(QStringLiteral("sweep")) && m_display->keys({QStringLiteral("Return")}));
    const auto question = program.waitFor(QStringLiteral("overwriteQuestion"), ShowMs);
    QVERIFY(question.found);
    QCOMPARE(question.text, drawing + QStringLiteral(" already exists. Replace it?"));
    QVERIFY(!m_display->screenshot(QStringLiteral("overwrite-question")).isEmpty());
    QFile kept(drawing);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("old drawing"));
    kept.close();
    QVERIFY(program.clickSettled(QStringLiteral("text=Yes")));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(drawing).size() > 100, ShowMs);
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("fileNameTextField")).found, ShowMs);

    // A typed absolute path keeps its folder, and the log's dialog reopens there.
    QTemporaryDir elsewhere;
    QVERIFY(elsewhere.isValid());
    const QString log = elsewhere.filePath(QStringLiteral("run.log"));
    QVERIFY(typeIntoDialog(program, QStringLiteral("logButton"), QString(), log));
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(log); }, ShowMs));
    QVERIFY(program.waitFor(QStringLiteral("loggingMark"), ShowMs).found);
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("fileNameTextField")).found, ShowMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("logging-where-typed")).isEmpty());
    QVERIFY(program.click(QStringLiteral("logButton"))); // stops
    QVERIFY(program.click(QStringLiteral("logButton")));
    QTRY_COMPARE_WITH_TIMEOUT(program.find(QStringLiteral("fileChooserFolder")).text, elsewhere.path(),
                              ShowMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("log-dialog-reopened")).isEmpty());
    QVERIFY(m_display->keys({QStringLiteral("Escape")}));
    QVERIFY(program.quit());
}

void tst_FileDialogsOnDisplay::presetsSaveUnderTheirDefaultNameAndOpenByName()
{
    ProgramOnDisplay &program = *m_program;
    const QString documents = m_documents;

    // The file dialog opens over the presets dialog; Return reaches the one on top.
    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("text=Save presets")));
    QVERIFY(program.clickSettled(QStringLiteral("presetMark1")));
    QVERIFY(program.clickSettled(QStringLiteral("text=Save...")));
    QCOMPARE(program.waitSettled(QStringLiteral("fileNameTextField")).text, QStringLiteral("preset.json"));
    QVERIFY(m_display->keys({QStringLiteral("Return")}));
    const QString presets = documents + QStringLiteral("/preset.json");
    QVERIFY(QTest::qWaitFor([&] { return QFileInfo::exists(presets); }, ShowMs));
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("fileNameTextField")).found, ShowMs);

    // Opening takes a name as typed and says when there is no such file.
    QVERIFY(program.clickSettled(QStringLiteral("settingsButton")));
    QVERIFY(program.clickSettled(QStringLiteral("text=Restore presets")));
    QCOMPARE(program.waitSettled(QStringLiteral("fileChooserAccept")).text, QStringLiteral("Open"));
    QVERIFY(m_display->type(QStringLiteral("preset")) && m_display->keys({QStringLiteral("Return")}));
    const auto problem = program.waitFor(QStringLiteral("fileChooserProblem"), ShowMs);
    QCOMPARE(problem.text, QStringLiteral("There is no file %1/preset.").arg(documents));
    QVERIFY(!m_display->screenshot(QStringLiteral("no-such-presets-file")).isEmpty());
    QVERIFY(m_display->type(QStringLiteral(".json")) && m_display->keys({QStringLiteral("Return")}));
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(QStringLiteral("fileNameTextField")).found, ShowMs);
    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_FileDialogsOnDisplay)
#include "tst_FileDialogsOnDisplay.moc"
