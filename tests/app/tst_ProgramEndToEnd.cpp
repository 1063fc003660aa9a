#include "SimulatorProcess.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
constexpr int ProgramRunMs = 60000;
constexpr int ScreenshotDelayMs = 3000; ///< after connecting: enough for a few polls of the home page
const QSize ScreenSize(1280, 800);

/// A headless screen of `size` for the offscreen platform, written into `folder`.
QString offscreenPlatform(const QTemporaryDir &folder, const QSize &size)
{
    const QString path = folder.filePath(QStringLiteral("screen.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QStringLiteral(R"({"windowFrameMargins": false, "screens": [{"name": "test", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                   .arg(size.width())
                   .arg(size.height())
                   .toUtf8());
    return QStringLiteral("offscreen:configfile=") + path;
}

/// Keeps a picture as a test artefact in the system's temporary folder.
bool keepArtefact(const QString &picture)
{
    const QString artefacts = QDir::temp().filePath(QStringLiteral("vantrellab-test-artefacts"));
    const QString kept = QDir(artefacts).filePath(QFileInfo(picture).fileName());
    QFile::remove(kept);
    if (!QDir().mkpath(artefacts) || !QFile::copy(picture, kept))
        return false;
    qInfo() << "screenshot kept at" << kept;
    return true;
}
} // namespace

/// The real program, headless, against the simulator: it connects on its own, asks for the
/// module list, shows live count rates on its home page and leaves a screenshot of its window.
class tst_ProgramEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void connectsAndSavesScreenshot();
    void survivesTheCrateGoingAway();
    void terminationSignalQuitsInOrder_data();
    void terminationSignalQuitsInOrder();

private:
    /// Starts the program against `simulator`; it saves `shot` `delayMs` after connecting and quits.
    void startProgram(QProcess &program, const SimulatorProcess &simulator, const QString &shot, int delayMs);
    /// Waits for the program's own exit after its screenshot; true for a clean one.
    bool waitForCleanExit(QProcess &program);

    QTemporaryDir m_work;
    QByteArray m_output;
};

void tst_ProgramEndToEnd::startProgram(QProcess &program, const SimulatorProcess &simulator,
                                       const QString &shot, int delayMs)
{
    m_output.clear();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), offscreenPlatform(m_work, ScreenSize));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("VT4_CRATE_PORT"), QString::number(simulator.port()));
    environment.insert(QStringLiteral("VT4_SCREENSHOT"), shot);
    environment.insert(QStringLiteral("VT4_SCREENSHOT_DELAY_MS"), QString::number(delayMs));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&program, &QProcess::readyRead, [&] { m_output += program.readAll(); });
    program.start(QStringLiteral(VT_PROGRAM_PATH), {});
}

bool tst_ProgramEndToEnd::waitForCleanExit(QProcess &program)
{
    if (!QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, ProgramRunMs))
        return false;
    m_output += program.readAll();
    return program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
}

void tst_ProgramEndToEnd::connectsAndSavesScreenshot()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    QVERIFY(m_work.isValid());
    const QString shot = m_work.filePath(QStringLiteral("main-window.png"));
    QProcess program;
    startProgram(program, simulator, shot, ScreenshotDelayMs);
    QVERIFY(program.waitForStarted());

    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVJ?"), ProgramRunMs));
    QVERIFY(QTest::qWaitFor([&] { return m_output.contains("home page shows live values"); }, ProgramRunMs));
    QVERIFY2(waitForCleanExit(program), m_output.constData());

    const QImage image(shot);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), ScreenSize);
    // The dark palette fills the window: its corner shows the background colour.
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(0x1E, 0x1E, 0x1E));
    QVERIFY(keepArtefact(shot));
}

void tst_ProgramEndToEnd::survivesTheCrateGoingAway()
{
    auto simulator = std::make_unique<SimulatorProcess>();
    QVERIFY(simulator->start());
    const QString shot = m_work.filePath(QStringLiteral("crate-gone.png"));
    QProcess program;
    startProgram(program, *simulator, shot, 3 * ScreenshotDelayMs);
    QVERIFY(program.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return m_output.contains("home page shows live values"); }, ProgramRunMs));

    // The crate vanishes without a goodbye while the home page polls it.
    simulator->process().kill();
    simulator.reset();
    // The window still draws (its screenshot comes on time) and the program ends cleanly.
    QVERIFY2(waitForCleanExit(program), m_output.constData());
    QVERIFY(!QImage(shot).isNull());
    QVERIFY(keepArtefact(shot));
}

void tst_ProgramEndToEnd::terminationSignalQuitsInOrder_data()
{
    QTest::addColumn<QStringList>("crate");
    QTest::addColumn<QString>("busyWhen"); ///< printed by the simulator or the program
    QTest::newRow("first reads of silent modules")
        << QStringList{"--silent", "all", "--verbose-modules"} << QStringLiteral("module request");
    QTest::newRow("polling") << QStringList{} << QStringLiteral("home page shows live values");
}

void tst_ProgramEndToEnd::terminationSignalQuitsInOrder()
{
    QFETCH(QStringList, crate);
    QFETCH(QString, busyWhen);
    SimulatorProcess simulator(crate);
    QVERIFY(simulator.start());
    QProcess program;
    startProgram(program, simulator, m_work.filePath(QStringLiteral("never.png")), ProgramRunMs);
    QVERIFY(program.waitForStarted());
    QVERIFY(QTest::qWaitFor(
        [&] { return m_output.contains(busyWhen.toUtf8()) || simulator.countLines(busyWhen) > 0; },
        ProgramRunMs));

    // SIGTERM ends the program as closing its window does: exit code 0, not death by signal.
    program.terminate();
    QVERIFY2(waitForCleanExit(program), m_output.constData());
}

QTEST_MAIN(tst_ProgramEndToEnd)
#include "tst_ProgramEndToEnd.moc"
