#include "ProgramOnDisplay.h"
#include "SimulatorProcess.h"
#include "XvfbDisplay.h"

#include <QTcpSocket>
#include <QTest>

#include <memory>

namespace {
constexpr int ConnectWaitMs = 30000; ///< the welcome window gives the crate 4 s, slow machines more
constexpr int ChangeWaitMs = 20000;  ///< a failed read, or the next good one, reaches the panel
} // namespace

/// The driver pages' parameter panel on a real display while its module goes silent and comes
/// back: the read-only rows show "---", the others are greyed and marked "stale", and a good
/// read brings them back as plain values. Screenshots of the whole display go to test-artefacts/.
class tst_DriverPageOnDisplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void silentModuleGreysItsPanel_data();
    void silentModuleGreysItsPanel();

private:
    std::unique_ptr<XvfbDisplay> m_display;
};

void tst_DriverPageOnDisplay::initTestCase()
{
    const QString missing = XvfbDisplay::missingTools();
    if (!missing.isEmpty())
        QSKIP(qPrintable(QStringLiteral("a real display needs %1 (scripts/install-deps.sh)").arg(missing)));
    m_display = std::make_unique<XvfbDisplay>(QStringLiteral(VT_ARTEFACT_DIR "/tst_DriverPageOnDisplay"));
    QVERIFY2(m_display->start(), qPrintable(m_display->error()));
}

void tst_DriverPageOnDisplay::silentModuleGreysItsPanel_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("reading"); ///< a read-only row
    QTest::addColumn<QString>("setting"); ///< a row the operator edits
    QTest::newRow("sspd") << 1 << "cps"
                          << "current";
    QTest::newRow("temperature") << 5 << "temperature"
                                 << "temperature_sensor_current";
}

void tst_DriverPageOnDisplay::silentModuleGreysItsPanel()
{
    QFETCH(int, address);
    QFETCH(QString, reading);
    QFETCH(QString, setting);
    SimulatorProcess simulator({"--crate", VT_DEMO_CRATE, "--fault-commands"});
    QVERIFY(simulator.start());
    ProgramOnDisplay program(*m_display);
    QVERIFY(program.start(simulator.port()));
    QVERIFY2(program.waitFor(QStringLiteral("moduleList"), ConnectWaitMs).found,
             qPrintable(program.output()));
    QVERIFY(program.click(QStringLiteral("text=#%1").arg(address), ConnectWaitMs));

    const QString value = QStringLiteral("parameterValue_") + reading;
    const QString mark = QStringLiteral("parameterStale_") + setting;
    const auto shown = [](const ProgramOnDisplay::Item &item) { return item.text != QLatin1String("---"); };
    QVERIFY2(program.waitFor(value, ChangeWaitMs, shown).found, qPrintable(program.find(value).text));
    QVERIFY(!program.find(mark).found);

    QTcpSocket control;
    control.connectToHost(QHostAddress::LocalHost, simulator.port());
    QVERIFY(control.waitForConnected(ChangeWaitMs));
    control.write(QStringLiteral("SIM:SILENT %1\r\n").arg(address).toLatin1());
    QVERIFY(program.waitFor(value, ChangeWaitMs, [](const auto &item) { return item.text == "---"; }).found);
    QVERIFY(program.waitFor(mark, ChangeWaitMs).found);
    QVERIFY(!m_display->screenshot(QStringLiteral("%1-silent").arg(QTest::currentDataTag())).isEmpty());

    control.write(QStringLiteral("SIM:ANSWER %1\r\n").arg(address).toLatin1());
    QVERIFY(program.waitFor(value, ChangeWaitMs, shown).found);
    QTRY_VERIFY_WITH_TIMEOUT(!program.find(mark).found, ChangeWaitMs);
    QVERIFY(!m_display->screenshot(QStringLiteral("%1-back").arg(QTest::currentDataTag())).isEmpty());
    QVERIFY(program.quit());
}

QTEST_GUILESS_MAIN(tst_DriverPageOnDisplay)
#include "tst_DriverPageOnDisplay.moc"
