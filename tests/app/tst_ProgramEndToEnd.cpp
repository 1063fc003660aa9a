#include "SimulatorProcess.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
} // namespace

/// The real program, headless, against the simulator: it connects on its own, asks for the
/// module list, shows live count rates on its home page and leaves a screenshot of its window.
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
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), offscreenPlatform(work, ScreenSize));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("VT4_CRATE_PORT"), QString::number(simulator.port()));
    environment.insert(QStringLiteral("VT4_SCREENSHOT"), shot);
    environment.insert(QStringLiteral("VT4_SCREENSHOT_DELAY_MS"), QString::number(ScreenshotDelayMs));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray output;
    QObject::connect(&program, &QProcess::readyRead, [&] { output += program.readAll(); });
    program.start(QStringLiteral(VT_PROGRAM_PATH), {});
    QVERIFY(program.waitForStarted());

    QVERIFY(simulator.waitForLine(QStringLiteral("command SYST:DEVJ?"), ProgramRunMs));
    QVERIFY(QTest::qWaitFor([&] { return output.contains("home page shows live values"); }, ProgramRunMs));
    QVERIFY(QTest::qWaitFor([&] { return program.state() == QProcess::NotRunning; }, ProgramRunMs));
    output += program.readAll();
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QVERIFY2(program.exitCode() == 0, output.constData());

    const QImage image(shot);
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), ScreenSize);
    // The dark palette fills the window: its corner shows the background colour.
    QCOMPARE(image.pixelColor(image.width() - 1, image.height() - 1), QColor(0x1E, 0x1E, 0x1E));
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
