#include "SimulatorProcess.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int ProgramRunMs = 60000;
} // namespace

/// The real program, headless, against the simulator: it connects on its own, asks for the
/// module list and leaves a screenshot of its window.
class tst_ProgramEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void connectsAndSavesScreenshot();
};

void tst_ProgramEndToEnd::connectsAndSavesScreenshot()
{
    SimulatorProcess simulator;
    QVERIFY(simulator.start());
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString shot = work.filePath(QStringLiteral("main-window.png"));

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("VT4_CRATE_PORT"), QString::number(simulator.port()));
    environment.insert(QStringLiteral("VT4_SCREENSHOT"), shot);
    environment.insert(QStringLiteral("VT4_SCREENSHOT_DELAY_MS"), QStringLiteral("300"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(VT_PROGRAM_PATH), {});
    QVERIFY(program.waitForStarted());

    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVJ?"), ProgramRunMs));
    QVERIFY(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, ProgramRunMs));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);

    const QImage image(shot);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), QSize(1280, 800));
    // Keep the picture as the test's artefact, in the system's temporary folder.
    const QString artefacts = QDir::temp().filePath(QStringLiteral("vantrellab-test-artefacts"));
    QVERIFY(QDir().mkpath(artefacts));
    const QString kept = QDir(artefacts).filePath(QStringLiteral("main-window.png"));
    QFile::remove(kept);
    QVERIFY(QFile::copy(shot, kept));
    qInfo() << "screenshot kept at" << kept;
}

QTEST_MAIN(tst_ProgramEndToEnd)
#include "tst_ProgramEndToEnd.moc"
